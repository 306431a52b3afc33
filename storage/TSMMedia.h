// One (volume, library) row of the media select: the record CTSMMedia
// fills and the media builder turns into a media item. Plain value class.
#pragma once

#include <string>

namespace FDC {
class ForeignMediaList;
}  // namespace FDC

class TSMMedia {
 public:
  std::string get_mediaName() const { return mediaName; }
  void set_mediaName(std::string v) { mediaName = std::move(v); }
  std::string get_libraryName() const { return libraryName; }
  void set_libraryName(std::string v) { libraryName = std::move(v); }
  std::string get_mediaType() const { return mediaType; }
  void set_mediaType(std::string v) { mediaType = std::move(v); }
  // Estimated capacity in megabytes as dsmadmc printed it, a decimal comma
  // made a point (storage/Figures.h).
  std::string get_mediaCapacity() const { return mediaCapacity; }
  void set_mediaCapacity(std::string v) { mediaCapacity = std::move(v); }
  // Kept as read; no message carries it.
  void set_spName(std::string v) { spName = std::move(v); }

  // Appends one media item with its five info items. False for a null
  // list.
  bool BuildMedia(FDC::ForeignMediaList* list) const;

 private:
  std::string mediaName;
  std::string libraryName;
  std::string mediaType;  // device class name
  std::string mediaCapacity;
  std::string spName;
};
