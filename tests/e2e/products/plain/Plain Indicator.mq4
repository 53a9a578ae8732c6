// Plain Indicator
#property indicator_chart_window
int OnInit() { return 0; }
