#include "model/HeaderStrings.h"

#include "model/LSettings.h"

const std::array<std::string, 11> kHeaderStrings = {
  "4.0.0", "Strataview", kProgramVersion, "09/08/2017", "NA", "The Strataview developers",
  "Strataview", "For investigational use only, not FDA approved", "NA", "NA", "NA"};
