//+------------------------------------------------------------------+
//| Sample Trend EA for MetaTrader 5: the source of the KoSetup       |
//| sample product. Buys when the moving average of SampleTrend.dll   |
//| turns up and sells when it turns down, one position at a time.    |
//+------------------------------------------------------------------+
#property copyright "Example Trading Tools Ltd."
#property version   "1.20"

#include <Trade\Trade.mqh>

#import "SampleTrend.dll"
int TrendDirection(const double &closes[], int count, int period);
#import

input double Lots       = 0.10;
input int    Period     = 24;
input int    StopLoss   = 400;   // points
input int    TakeProfit = 800;   // points

CTrade trade;

int OnInit() {
   return Period > 1 ? INIT_SUCCEEDED : INIT_PARAMETERS_INCORRECT;
}

void OnTick() {
   if (PositionsTotal() > 0)
      return;
   double closes[];
   ArraySetAsSeries(closes, true);
   const int count = CopyClose(_Symbol, _Period, 1, Period + 1, closes);
   const int direction = TrendDirection(closes, count, Period);
   const double ask = SymbolInfoDouble(_Symbol, SYMBOL_ASK);
   const double bid = SymbolInfoDouble(_Symbol, SYMBOL_BID);
   if (direction > 0)
      trade.Buy(Lots, _Symbol, ask, ask - StopLoss * _Point, ask + TakeProfit * _Point);
   else if (direction < 0)
      trade.Sell(Lots, _Symbol, bid, bid + StopLoss * _Point, bid - TakeProfit * _Point);
}
