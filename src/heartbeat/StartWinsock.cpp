#include "heartbeat/StartWinsock.h"

namespace heartbeat {

bool StartWinsock() {
    return true;
}

} // namespace heartbeat
