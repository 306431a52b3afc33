#include "tools/tsm-discover/PluginLoader.h"

#include <dlfcn.h>

#include "host/CForeignHandlerBase.h"

namespace tsmdiscover {

PluginLoader::~PluginLoader() {
  if (handler_ != nullptr && destroy_ != nullptr) destroy_(handler_);
  // The library is left loaded: static objects of the plug-in may still be
  // referenced by the host library's process-wide state until exit.
}

bool PluginLoader::Load(const std::string& path, std::string* error) {
  library_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    const char* why = ::dlerror();
    *error = "cannot load the plug-in " + path + ": " + (why != nullptr ? why : "unknown error");
    return false;
  }
  using Create = CForeignHandlerBase* (*)();
  auto create = reinterpret_cast<Create>(::dlsym(library_, "CreateForeignHandlerTSM"));
  destroy_ = reinterpret_cast<void (*)(CForeignHandlerBase*)>(::dlsym(library_, "DestroyForeignHandlerTSM"));
  if (create == nullptr || destroy_ == nullptr) {
    *error = "the plug-in " + path + " has no CreateForeignHandlerTSM/DestroyForeignHandlerTSM";
    return false;
  }
  handler_ = create();
  if (handler_ == nullptr) {
    *error = "the plug-in's factory returned no handler";
    return false;
  }
  return true;
}

}  // namespace tsmdiscover
