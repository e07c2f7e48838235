// leaky-drawdown: drawdown of a transient leaky artesian aquifer under a field
// of pumping and injecting wells.
#include "driver/run.h"

int main() { return driver::run(); }
