#include "viewer/dialogs/system_info.h"

#include <gtest/gtest.h>

namespace {

VersionProbe nt(uint32_t major, uint32_t minor, int productType, uint32_t suites = 0) {
  VersionProbe p;
  p.has_extended = true;
  p.platform_kind = 2;
  p.major = major;
  p.minor = minor;
  p.build = 0x10000 + 2195;
  p.service_pack = "Service Pack 4";
  p.product_type = productType;
  p.suite_flags = suites;
  return p;
}

std::string name_of(const VersionProbe& p) { return EditionName(ClassifyEdition(p).kind); }

}  // namespace

TEST(SystemInfoMemory, KilobytesBelowAThousandElseMegabytes) {
  EXPECT_EQ(MemoryLine(314572800), "Memory available to Windows: 307 MB");
  EXPECT_EQ(MemoryLine(512000), "Memory available to Windows: 500 KB");
  EXPECT_EQ(MemoryLine(1024000), "Memory available to Windows: 1 MB");
  EXPECT_EQ(MemoryLine(1023999), "Memory available to Windows: 999 KB");
}

TEST(SystemInfoEdition, NtWorkstationsLookOnlyAtTheMinorNumber) {
  EXPECT_EQ(name_of(nt(5, 0, 1)), "Windows 2000 Professional");
  EXPECT_EQ(name_of(nt(5, 1, 1)), "Windows XP Professional");
  EXPECT_EQ(name_of(nt(5, 1, 1, 0x200)), "Windows XP Home");
  EXPECT_EQ(name_of(nt(6, 0, 1)), "Windows 2000 Professional");
  EXPECT_EQ(name_of(nt(6, 1, 1)), "Windows XP Professional");
  EXPECT_EQ(name_of(nt(4, 0, 1)), "Windows NT 4.0 Workstation");
}

TEST(SystemInfoEdition, NtServers) {
  EXPECT_EQ(name_of(nt(6, 0, 3)), "Windows NT 4.0 Server");
  EXPECT_EQ(name_of(nt(6, 1, 3, 0x2)), "Windows NT 4.0 Server Enterprise");
  EXPECT_EQ(name_of(nt(5, 2, 3, 0x80 | 0x2)), "Windows Server 2003 Datacenter");
  EXPECT_EQ(name_of(nt(5, 2, 3, 0x2)), "Windows Server 2003 Enterprise");
  EXPECT_EQ(name_of(nt(5, 2, 3, 0x400)), "Windows Server 2003 WebEdition");
  EXPECT_EQ(name_of(nt(5, 2, 3, 0x400 | 0x10)), "Windows Server 2003");
  EXPECT_EQ(name_of(nt(5, 0, 3, 0x80)), "Windows 2000 Server Datacenter");
  EXPECT_EQ(name_of(nt(5, 0, 3, 0x2)), "Windows 2000 Server Advanced");
  EXPECT_EQ(name_of(nt(5, 0, 3)), "Windows 2000 Server");
}

TEST(SystemInfoEdition, DomainControllerKeepsTheVersionKind) {
  const Edition e = ClassifyEdition(nt(5, 0, 2));
  EXPECT_EQ(e.kind, 11);
  EXPECT_EQ(EditionName(e.kind), "Windows Unknown");
}

TEST(SystemInfoEdition, ProductTypeValueWithoutExtendedRecord) {
  VersionProbe p = nt(4, 0, 0);
  p.has_extended = false;
  p.has_basic = true;
  p.product_type_value = "winnt";
  EXPECT_EQ(ClassifyEdition(p).kind, 8);
  p.product_type_value = "SERVERNT";
  EXPECT_EQ(ClassifyEdition(p).kind, 10);
  p.major = 5;
  p.minor = 2;
  p.product_type_value = "LANMANNT";
  EXPECT_EQ(ClassifyEdition(p).kind, 19);
  p.product_type_value = std::string(81, 'X');
  const Edition tooLong = ClassifyEdition(p);
  EXPECT_EQ(tooLong.kind, 19);
  EXPECT_EQ(tooLong.service_pack_text, "");
  p.product_type_value.reset();
  EXPECT_EQ(ClassifyEdition(p).service_pack_text, "");
}

TEST(SystemInfoEdition, Windows9xFamily) {
  VersionProbe p;
  p.has_basic = true;
  p.platform_kind = 1;
  p.major = 4;
  p.service_pack = " C";
  EXPECT_EQ(name_of(p), "Windows 95 OSR2");
  p.service_pack = "";
  EXPECT_EQ(name_of(p), "Windows 95");
  p.minor = 10;
  p.service_pack = " A";
  EXPECT_EQ(name_of(p), "Windows 98 SE");
  p.minor = 90;
  EXPECT_EQ(name_of(p), "Windows Millennium");
  EXPECT_EQ(ClassifyEdition(p).service_pack_text, "");
  p.platform_kind = 0;
  EXPECT_EQ(name_of(p), "Windows 32s");
}

TEST(SystemInfoEdition, NoVersionRecordIsUnknown) {
  VersionProbe p = nt(5, 1, 1);
  p.has_extended = false;
  EXPECT_EQ(ClassifyEdition(p).kind, 0);
  EXPECT_EQ(EditionName(0), "Windows Unknown");
}

TEST(SystemInfoServicePack, BuildNumberLowBitsAndHotfix) {
  VersionProbe p = nt(5, 0, 1);
  EXPECT_EQ(ClassifyEdition(p).service_pack_text, "Service Pack 4 (Build 2195)\n");
  p = nt(4, 0, 1);
  p.service_pack = "service pack 6";
  p.build = 1381;
  EXPECT_EQ(ClassifyEdition(p).service_pack_text, "service pack 6 (Build 1381)\n");
  p.hotfix_q246009 = true;
  EXPECT_EQ(ClassifyEdition(p).service_pack_text, "Service Pack 6a (Build 1381)\n");
  p.service_pack = std::string(300, 'S');
  EXPECT_EQ(ClassifyEdition(p).service_pack_text.size(), 127u);
}

TEST(SystemInfoProbe, NamesTheRunningSystem) {
  const SystemInfo info;
  EXPECT_FALSE(info.OperatingSystemName().empty());
  EXPECT_EQ(info.ServicePackText, "");
  EXPECT_GT(FreePhysicalMemory(), 0u);
}
