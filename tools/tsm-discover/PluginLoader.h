// The plug-in loaded with dlopen and one handler made by its factory. The
// library stays loaded while the loader lives; the handler is destroyed
// through the plug-in's own DestroyForeignHandlerTSM before it unloads.
#pragma once

#include <string>

class CForeignHandlerBase;

namespace tsmdiscover {

class PluginLoader {
 public:
  PluginLoader() = default;
  ~PluginLoader();
  PluginLoader(const PluginLoader&) = delete;
  PluginLoader& operator=(const PluginLoader&) = delete;

  // Loads `path` and makes the handler; false with a reason in *error.
  bool Load(const std::string& path, std::string* error);
  // Valid after a successful Load(), owned by the loader.
  CForeignHandlerBase* handler() const { return handler_; }

 private:
  void* library_ = nullptr;
  CForeignHandlerBase* handler_ = nullptr;
  void (*destroy_)(CForeignHandlerBase*) = nullptr;
};

// The plug-in's file name, as the host looks for it.
constexpr const char* kPluginFileName = "libZYForeignHandlerTSM.so";

}  // namespace tsmdiscover
