#include "viewer/dialogs/system_info.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <array>
#include <cstdio>
#include <strings.h>
#include <utility>

namespace {

constexpr uint32_t SuiteEnterprise = 0x2;
constexpr uint32_t SuiteDatacenter = 0x80;
constexpr uint32_t SuitePersonal = 0x200;
constexpr uint32_t SuiteBlade = 0x400;

bool same_ignoring_case(const std::string& a, const char* b) {
  return strcasecmp(a.c_str(), b) == 0;
}

bool is_version(const VersionProbe& p, uint32_t major, uint32_t minor) {
  return p.major == major && p.minor == minor;
}

int windows9x_kind(const VersionProbe& p) {
  const char second = p.service_pack.size() > 1 ? p.service_pack[1] : '\0';
  if (is_version(p, 4, 0)) return second == 'C' || second == 'B' ? 2 : 1;
  if (is_version(p, 4, 10)) return second == 'A' ? 4 : 3;
  if (is_version(p, 4, 90)) return 5;
  return 0;
}

int nt_kind_by_version(const VersionProbe& p) {
  if (is_version(p, 5, 2)) return 19;
  if (is_version(p, 5, 1)) return 16;
  if (is_version(p, 5, 0)) return 11;
  if (p.major <= 4) return 6;
  return 0;
}

// The kind from the "ProductType" registry value, or kind when it names none.
int nt_kind_by_product_value(const VersionProbe& p, const std::string& value, int kind) {
  const bool v52 = is_version(p, 5, 2);
  const bool v50 = is_version(p, 5, 0);
  const bool old = p.major <= 4;
  if (same_ignoring_case(value, "WINNT")) return old ? 8 : kind;
  if (value == "LANMANNT") return v52 ? 19 : v50 ? 13 : old ? 9 : kind;
  if (value == "SERVERNT") return v52 ? 20 : v50 ? 15 : old ? 10 : kind;
  return kind;
}

int nt_workstation_kind(const VersionProbe& p, int kind) {
  if (p.major == 4) return 8;
  if ((p.suite_flags & SuitePersonal) == 0) return p.minor == 1 ? 18 : p.minor == 0 ? 12 : kind;
  return p.minor == 1 ? 17 : kind;
}

int nt_server_kind(const VersionProbe& p) {
  const uint32_t suites = p.suite_flags;
  if (is_version(p, 5, 2)) {
    if (suites & SuiteDatacenter) return 21;
    if (suites & SuiteEnterprise) return 20;
    return suites == SuiteBlade ? 22 : 19;
  }
  if (is_version(p, 5, 0)) {
    if (suites & SuiteDatacenter) return 14;
    return suites & SuiteEnterprise ? 15 : 13;
  }
  return suites & SuiteEnterprise ? 10 : 9;
}

std::string nt_service_pack_text(const VersionProbe& p) {
  std::array<char, 128> text{};
  const int build = static_cast<int>(p.build & 0xFFFF);
  if (p.major == 4 && same_ignoring_case(p.service_pack, "Service Pack 6") && p.hotfix_q246009)
    std::snprintf(text.data(), text.size(), "Service Pack 6a (Build %d)\n", build);
  else
    std::snprintf(text.data(), text.size(), "%s (Build %d)\n", p.service_pack.c_str(), build);
  return text.data();
}

Edition classify_nt(const VersionProbe& p) {
  int kind = nt_kind_by_version(p);
  if (!p.has_extended) {
    if (!p.product_type_value || p.product_type_value->size() > 80) return {kind, {}};
    kind = nt_kind_by_product_value(p, *p.product_type_value, kind);
  } else if (p.product_type == 1) {
    kind = nt_workstation_kind(p, kind);
  } else if (p.product_type == 3) {
    kind = nt_server_kind(p);
  }
  return {kind, nt_service_pack_text(p)};
}

}  // namespace

Edition ClassifyEdition(const VersionProbe& probe) {
  if (!probe.has_extended && !probe.has_basic) return {};
  switch (probe.platform_kind) {
    case 0:
      return {23, {}};
    case 1:
      return {windows9x_kind(probe), {}};
    case 2:
      return classify_nt(probe);
    default:
      return {};
  }
}

std::string EditionName(int kind) {
  static const std::pair<int, const char*> names[] = {
      {1, "Windows 95"},
      {2, "Windows 95 OSR2"},
      {3, "Windows 98"},
      {4, "Windows 98 SE"},
      {5, "Windows Millennium"},
      {7, "Windows NT 3.51"},
      {8, "Windows NT 4.0 Workstation"},
      {9, "Windows NT 4.0 Server"},
      {10, "Windows NT 4.0 Server Enterprise"},
      {12, "Windows 2000 Professional"},
      {13, "Windows 2000 Server"},
      {14, "Windows 2000 Server Datacenter"},
      {15, "Windows 2000 Server Advanced"},
      {17, "Windows XP Home"},
      {18, "Windows XP Professional"},
      {19, "Windows Server 2003"},
      {20, "Windows Server 2003 Enterprise"},
      {21, "Windows Server 2003 Datacenter"},
      {22, "Windows Server 2003 WebEdition"},
      {23, "Windows 32s"},
  };
  for (const auto& [k, name] : names)
    if (k == kind) return name;
  return "Windows Unknown";
}

std::string MemoryLine(uint64_t freeBytes) {
  const uint64_t k = freeBytes / 1024;
  const std::string amount = k < 1000 ? std::to_string(k) + " KB" : std::to_string(k / 1000) + " MB";
  return "Memory available to Windows: " + amount;
}

uint64_t FreePhysicalMemory() {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return 0;
  return static_cast<uint64_t>(info.freeram) * info.mem_unit;
}

SystemInfo::SystemInfo() {
  struct utsname names {};
  if (uname(&names) != 0) return;
  SystemName = names.sysname;
  unsigned major = 0, minor = 0, build = 0;
  std::sscanf(names.release, "%u.%u.%u", &major, &minor, &build);
  MajorVersion = major;
  MinorVersion = minor;
  BuildNumber = build;
}

std::string SystemInfo::OperatingSystemName() const {
  return SystemName.empty() ? EditionName(WindowsVersionKind) : SystemName;
}
