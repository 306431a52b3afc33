// The host registry value the plug-in reads: the folder of dsmadmc output
// gathered earlier. When it is set, the schedule discovery fetches nothing.
#pragma once

namespace tsmregistry {

inline constexpr const char* kSection = "EventManager";
inline constexpr const char* kOutputPathValue = "IXRDiscovery_TSMOUTPUTPATH";

}  // namespace tsmregistry
