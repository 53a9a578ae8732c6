//+------------------------------------------------------------------+
//| Sample Trend EA: the source of the KoSetup sample product.        |
//| Buys when the fast moving average crosses above the slow one and  |
//| sells on the opposite cross, skipping quiet markets.              |
//+------------------------------------------------------------------+
#property copyright "Example Trading Tools Ltd."
#property version   "1.20"
#property strict

input double Lots       = 0.10;
input int    FastPeriod = 12;
input int    SlowPeriod = 48;
input int    StopLoss   = 400;   // points
input int    TakeProfit = 800;   // points
input int    MinAtr     = 80;    // points; no entries below this volatility

int OnInit() {
   return FastPeriod < SlowPeriod ? INIT_SUCCEEDED : INIT_PARAMETERS_INCORRECT;
}

void OnTick() {
   if (OrdersTotal() > 0 || iATR(NULL, 0, 14, 1) < MinAtr * Point)
      return;
   double fastNow  = iMA(NULL, 0, FastPeriod, 0, MODE_EMA, PRICE_CLOSE, 1);
   double fastPrev = iMA(NULL, 0, FastPeriod, 0, MODE_EMA, PRICE_CLOSE, 2);
   double slowNow  = iMA(NULL, 0, SlowPeriod, 0, MODE_EMA, PRICE_CLOSE, 1);
   double slowPrev = iMA(NULL, 0, SlowPeriod, 0, MODE_EMA, PRICE_CLOSE, 2);
   if (fastPrev <= slowPrev && fastNow > slowNow)
      OrderSend(Symbol(), OP_BUY, Lots, Ask, 3, Ask - StopLoss * Point, Ask + TakeProfit * Point);
   else if (fastPrev >= slowPrev && fastNow < slowNow)
      OrderSend(Symbol(), OP_SELL, Lots, Bid, 3, Bid + StopLoss * Point, Bid - TakeProfit * Point);
}
