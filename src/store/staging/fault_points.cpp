#include "store/staging/fault_points.hpp"

#include <atomic>

namespace vestran::faults {

namespace {
std::atomic<Handler> current{nullptr};
}  // namespace

void setHandler(Handler handler) { current.store(handler); }

void reach(std::string_view point) {
  if (const Handler h = current.load()) h(point);
}

}  // namespace vestran::faults
