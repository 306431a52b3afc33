// The entry points a host finds with dlsym after loading the plug-in.
#include "handler/CForeignHandlerTSM.h"

extern "C" {

CForeignHandlerBase* CreateForeignHandlerTSM() {
  try {
    return new CForeignHandlerTSM();
  } catch (...) {
    return nullptr;
  }
}

CForeignHandlerBase* CreateForeignHandlerTSMWithValue(long long value) {
  try {
    return new CForeignHandlerTSM(value);
  } catch (...) {
    return nullptr;
  }
}

void DestroyForeignHandlerTSM(CForeignHandlerBase* handler) { delete handler; }

}  // extern "C"
