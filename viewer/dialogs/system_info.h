#pragma once
// What the About box tells about the running system: the free physical
// memory and the operating system's name, version numbers and service pack.
#include <cstdint>
#include <optional>
#include <string>

// A Windows-style version record and the two registry answers the edition
// rules consult. Systems without such a record leave has_extended and
// has_basic false.
struct VersionProbe {
  bool has_extended = false;  // the extended record (product type, suites)
  bool has_basic = false;     // the basic record, asked for when the extended one fails
  int platform_kind = 0;      // 0 Win32s, 1 the 95/98/Me family, 2 the NT family
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  std::string service_pack;
  int product_type = 0;  // 1 workstation, 2 domain controller, 3 server
  uint32_t suite_flags = 0;
  std::optional<std::string> product_type_value;  // the "ProductType" registry value
  bool hotfix_q246009 = false;                    // whether that hotfix key exists
};

struct Edition {
  int kind = 0;
  std::string service_pack_text;  // at most 127 characters
};

// The edition kind and service-pack text of a version probe.
Edition ClassifyEdition(const VersionProbe& probe);
// The name shown for an edition kind ("Windows Unknown" for kinds without one).
std::string EditionName(int kind);
// "Memory available to Windows: " and the amount in KB below 1000 KB, else in MB.
std::string MemoryLine(uint64_t freeBytes);
// The free physical memory in bytes (0 when the system does not say).
uint64_t FreePhysicalMemory();

class SystemInfo {
 public:
  // Probes the running system. Where no Windows version record exists the
  // system's own name and kernel version (uname) stand in for it.
  SystemInfo();

  int WindowsVersionKind = 0;
  std::string ServicePackText;
  uint32_t MajorVersion = 0;
  uint32_t MinorVersion = 0;
  uint32_t BuildNumber = 0;
  // The running system's name when it is not Windows, else empty.
  std::string SystemName;

  // The name for the "Operating System: " line.
  std::string OperatingSystemName() const;
};
