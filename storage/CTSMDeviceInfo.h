// Description of one device that BuildTapeLibrary turns into a drive
// item. No query fills it; the caller of BuildTapeLibrary does. Plain
// value class.
#pragma once

#include <string>

class CTSMDeviceInfo {
 public:
  CTSMDeviceInfo() = default;
  CTSMDeviceInfo(int deviceType, std::string deviceName, int id, int lun, int bus, int port,
                 std::string serialNumber, std::string worldWideName, std::string deviceId)
      : deviceType(deviceType),
        deviceName(std::move(deviceName)),
        id(id),
        lun(lun),
        bus(bus),
        port(port),
        serialNumber(std::move(serialNumber)),
        worldWideName(std::move(worldWideName)),
        deviceId(std::move(deviceId)) {}

  int getdeviceType() const { return deviceType; }
  std::string getdeviceName() const { return deviceName; }
  int getid() const { return id; }
  int getlun() const { return lun; }
  int getbus() const { return bus; }
  int getport() const { return port; }
  std::string getserialNumber() const { return serialNumber; }
  std::string getworldWideName() const { return worldWideName; }
  // Vendor in characters 0 to 7, product in 8 to 23, then the revision.
  std::string getdeviceId() const { return deviceId; }

 private:
  int deviceType = 0;
  std::string deviceName;
  int id = 0;
  int lun = 0;
  int bus = 0;
  int port = 0;
  std::string serialNumber;
  std::string worldWideName;
  std::string deviceId;
};
