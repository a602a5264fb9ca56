#include "run/run_driver.h"

namespace murel {

int RunMurel(Platform& /*platform*/, const std::string& /*tail*/) { return kExitOk; }

}  // namespace murel
