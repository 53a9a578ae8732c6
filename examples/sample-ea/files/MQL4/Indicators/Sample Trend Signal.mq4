//+------------------------------------------------------------------+
//| Sample Trend Signal: arrows where the two moving averages cross. |
//+------------------------------------------------------------------+
#property copyright "Example Trading Tools Ltd."
#property version   "1.20"
#property strict
#property indicator_chart_window
#property indicator_buffers 2

input int FastPeriod = 12;
input int SlowPeriod = 48;

double Up[], Down[];

int OnInit() {
   SetIndexBuffer(0, Up);
   SetIndexStyle(0, DRAW_ARROW);
   SetIndexArrow(0, 233);
   SetIndexBuffer(1, Down);
   SetIndexStyle(1, DRAW_ARROW);
   SetIndexArrow(1, 234);
   return INIT_SUCCEEDED;
}

int OnCalculate(const int total, const int counted, const datetime& time[], const double& open[],
                const double& high[], const double& low[], const double& close[],
                const long& tickVolume[], const long& volume[], const int& spread[]) {
   for (int i = MathMin(total - SlowPeriod - 2, total - counted); i >= 1; i--) {
      double fast0 = iMA(NULL, 0, FastPeriod, 0, MODE_EMA, PRICE_CLOSE, i);
      double fast1 = iMA(NULL, 0, FastPeriod, 0, MODE_EMA, PRICE_CLOSE, i + 1);
      double slow0 = iMA(NULL, 0, SlowPeriod, 0, MODE_EMA, PRICE_CLOSE, i);
      double slow1 = iMA(NULL, 0, SlowPeriod, 0, MODE_EMA, PRICE_CLOSE, i + 1);
      Up[i]   = fast1 <= slow1 && fast0 > slow0 ? low[i] : EMPTY_VALUE;
      Down[i] = fast1 >= slow1 && fast0 < slow0 ? high[i] : EMPTY_VALUE;
   }
   return total;
}
