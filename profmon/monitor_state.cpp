#include "monitor_state.h"

namespace lullan::profmon {

MonitorState& Monitor() {
  static MonitorState state;
  return state;
}

}  // namespace lullan::profmon
