#include "fit/refusals.h"

namespace fit {
namespace {

// Whether some rate change of some well comes before `day`: the model's
// drawdown there is not 0 for every aquifer.
bool follows_a_rate_change(const PumpingTest& test, double day) {
  for (const Well& w : test.wells) {
    double before = 0.0;
    for (const Step& s : w.steps) {
      if (!(s.day < day)) break;
      if (s.rate != before) return true;
      before = s.rate;
    }
  }
  return false;
}

}  // namespace

std::string refusal(const PumpingTest& test) {
  bool modelled = false, above = false, below = false;
  for (const Observation& o : test.observations)
    for (const Reading& r : o.readings) {
      modelled = modelled || follows_a_rate_change(test, r.day);
      above = above || r.drawdown > 0.0;
      below = below || r.drawdown < 0.0;
    }
  if (!modelled)
    return test.file +
           ": no reading follows a change of a pumping rate (every rate is 0, or pumping starts after every reading), "
           "so the modelled drawdown is 0 at every reading whatever the aquifer";
  bool pumps = false, injects = false;
  for (const Well& w : test.wells)
    for (const Step& s : w.steps) (s.rate > 0.0 ? pumps : injects) |= s.rate != 0.0;
  if (pumps && !injects && !above)
    return test.file +
           ": every reading is 0 or below, but the wells pump: drawdown is positive downward (the level before "
           "pumping minus the level at the time); convert heads or depths to water to drawdowns";
  if (injects && !pumps && !below)
    return test.file +
           ": every reading is 0 or above, but the wells inject: the rise of an injection is a drawdown below 0 "
           "(the level before injection minus the level at the time); convert heads or depths to water to drawdowns";
  return "";
}

}  // namespace fit
