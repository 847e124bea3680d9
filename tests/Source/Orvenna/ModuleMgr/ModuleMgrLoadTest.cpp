// Finding and loading modules: display order, LibIDs, skipped folders.
#include <filesystem>
#include <string>

#include "ModuleMgrFixture.h"
#include "TestEnvironment.h"
#include "qel/QelLayout.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

std::string U8(const CQelStringW& s) { return s.ToUTF8(); }

}  // namespace

TEST_F(ModuleMgrTest, OrdersByIndexAndPutsLaterFoundFirstAmongEqualIndexes) {
  // Folder names are taken in byte order: a_two, b_one, c_one, d_none.
  Stage({.folder = "a_two", .index = "2"});
  Stage({.folder = "b_one", .index = "1"});
  Stage({.folder = "c_one", .index = "1"});
  Stage({.folder = "d_none"});  // no Index: 0
  auto mgr = MakeManager();
  EXPECT_EQ(mgr->LoadAll(), 0);

  ASSERT_EQ(mgr->GetModuleCount(), 4u);
  const char* names[] = {"d_none", "c_one", "b_one", "a_two"};
  const int32_t libIDs[] = {4, 3, 2, 1};  // given in the order found
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(U8(mgr->GetModuleNameByIndex(i)), names[i]);
    EXPECT_EQ(mgr->GetModuleLibID(i), libIDs[i]);
  }
  // Nothing is created before a launch.
  EXPECT_TRUE(Calls().empty());
}

TEST_F(ModuleMgrTest, RecordHoldsTheDescriptorsFilesRelativeToTheModuleFolder) {
  Stage({.folder = "Alpha", .name = "Alpha Cam", .index = "1", .iconName = "butn_AlphaTab"});
  auto mgr = MakeManager();
  mgr->LoadAll();
  ASSERT_EQ(mgr->GetModuleCount(), 1u);

  EXPECT_EQ(U8(mgr->GetModuleNameByIndex(0)), "Alpha Cam");
  EXPECT_EQ(U8(mgr->GetModuleIconFileByIndex(0)), "$app\\Modules\\Alpha\\Icon.aui");
  EXPECT_EQ(U8(mgr->GetModuleRadoFileByIndex(0)), "$app\\Modules\\Alpha\\Tab.aui");
  EXPECT_EQ(U8(mgr->GetModuleStringFileByIndex(0)), "$app\\Modules\\Alpha\\Res.aui");
  EXPECT_STREQ(mgr->GetModuleRadoNameByIndex(0), "butn_AlphaTab");
  EXPECT_EQ(mgr->GetModuleDescStringIndexByIndex(0), 2);

  EXPECT_EQ(U8(mgr->GetModuleNameByLibID(1)), "Alpha Cam");
  EXPECT_EQ(U8(mgr->GetModuleRelatiFolderByLibID(1)), "$app\\Modules\\Alpha\\/");
  EXPECT_EQ(U8(mgr->GetModuleStringFileByLibID(1)), "$app\\Modules\\Alpha\\Res.aui");
  EXPECT_EQ(mgr->GetModuleNameIDByLibID(1), 3);
  // The toolkit finds the files from these paths.
  EXPECT_EQ(QelResolvePath(U8(mgr->GetModuleIconFileByIndex(0))),
            (Modules() / "Alpha/Icon.aui").string());

  // Past the end and unknown LibIDs.
  EXPECT_EQ(mgr->GetModuleLibID(1), -1);
  EXPECT_EQ(mgr->GetModuleDescStringIndexByIndex(1), -1);
  EXPECT_TRUE(mgr->GetModuleNameByIndex(1).IsEmpty());
  EXPECT_TRUE(mgr->GetModuleIconFileByIndex(1).IsEmpty());
  EXPECT_EQ(mgr->GetModuleRadoNameByIndex(1), nullptr);
  EXPECT_TRUE(mgr->GetModuleNameByLibID(2).IsEmpty());
  EXPECT_TRUE(mgr->GetModuleRelatiFolderByLibID(0).IsEmpty());
  EXPECT_EQ(mgr->GetModuleNameIDByLibID(2), -1);
}

TEST_F(ModuleMgrTest, SkipsHiddenFoldersFoldersWithoutDescriptorAndLooseFiles) {
  Stage({.folder = ".Hidden", .index = "0"});
  fs::create_directories(Modules() / "NoDescriptor");
  fs::copy(orvtest::RecordingModuleBundle(), Modules() / "NoDescriptor/RecordingModule.bundle",
           fs::copy_options::recursive);
  testenv::WriteFile(Modules() / "Module.xml", "<ModuleConfig/>");
  Stage({.folder = "Visible", .index = "5"});

  auto mgr = MakeManager();
  mgr->LoadAll();
  ASSERT_EQ(mgr->GetModuleCount(), 1u);
  EXPECT_EQ(U8(mgr->GetModuleNameByIndex(0)), "Visible");
  EXPECT_EQ(mgr->GetModuleLibID(0), 1);
}

TEST_F(ModuleMgrTest, LoadAllWithoutModulesFolderGivesNoModules) {
  fs::remove_all(Modules());
  auto mgr = MakeManager();
  EXPECT_EQ(mgr->LoadAll(), 0);
  EXPECT_EQ(mgr->GetModuleCount(), 0u);
}

TEST_F(ModuleMgrTest, LoadAllAgainStartsOver) {
  Stage({.folder = "Alpha", .index = "1"});
  auto mgr = MakeManager();
  mgr->LoadAll();
  Stage({.folder = "Beta", .index = "0"});
  mgr->LoadAll();
  ASSERT_EQ(mgr->GetModuleCount(), 2u);
  // The counter keeps running: LibIDs are never given twice.
  EXPECT_EQ(U8(mgr->GetModuleNameByIndex(0)), "Beta");
  EXPECT_EQ(mgr->GetModuleLibID(0), 3);
  EXPECT_EQ(mgr->GetModuleLibID(1), 2);
}

// A folder that is not a module, put before a good one: it gives no record
// and takes no LibID.
struct BadModule {
  const char* what;
  orvtest::ModuleSetup setup;
  // Written into the folder after staging: file name and content.
  const char* file = nullptr;
  const char* content = nullptr;
};

void PrintTo(const BadModule& bad, std::ostream* os) { *os << bad.what; }

class ModuleMgrBadModuleTest : public ModuleMgrTest,
                               public ::testing::WithParamInterface<BadModule> {};

const char kNoTab[] = R"(<ModuleConfig>
  <Module FileName="RecordingModule.bundle" Name="Bad" Index="0"/>
  <ModuleIcon FileName="Icon.aui"/>
  <ModuleRes FileName="Res.aui" DescStringID="2" ModuleNameID="3"/>
</ModuleConfig>)";
const char kNoIconName[] = R"(<ModuleConfig>
  <Module FileName="RecordingModule.bundle" Name="Bad"/>
  <ModuleIcon FileName="Icon.aui"/>
  <ModuleTab IconFile="Tab.aui"/>
  <ModuleRes FileName="Res.aui" DescStringID="2" ModuleNameID="3"/>
</ModuleConfig>)";
const char kNoFileName[] = R"(<ModuleConfig>
  <Module Name="Bad"/>
  <ModuleIcon FileName="Icon.aui"/>
  <ModuleTab IconFile="Tab.aui" IconName="butn_Bad"/>
  <ModuleRes FileName="Res.aui" DescStringID="2" ModuleNameID="3"/>
</ModuleConfig>)";
const char kNoNameID[] = R"(<ModuleConfig>
  <Module FileName="RecordingModule.bundle" Name="Bad"/>
  <ModuleIcon FileName="Icon.aui"/>
  <ModuleTab IconFile="Tab.aui" IconName="butn_Bad"/>
  <ModuleRes FileName="Res.aui" DescStringID="2"/>
</ModuleConfig>)";

TEST_P(ModuleMgrBadModuleTest, GivesNoModuleAndNoLibID) {
  const BadModule& bad = GetParam();
  fs::path folder = Stage(bad.setup);
  if (bad.file) testenv::WriteFile(folder / bad.file, bad.content);
  Stage({.folder = "b_good", .index = "9"});

  auto mgr = MakeManager();
  mgr->LoadAll();
  ASSERT_EQ(mgr->GetModuleCount(), 1u);
  EXPECT_EQ(U8(mgr->GetModuleNameByIndex(0)), "b_good");
  EXPECT_EQ(mgr->GetModuleLibID(0), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, ModuleMgrBadModuleTest,
    ::testing::Values(
        BadModule{"NoModuleTab", {.folder = "a_bad", .moduleXml = kNoTab}},
        BadModule{"NoIconName", {.folder = "a_bad", .moduleXml = kNoIconName}},
        BadModule{"NoFileName", {.folder = "a_bad", .moduleXml = kNoFileName}},
        BadModule{"NoModuleNameID", {.folder = "a_bad", .moduleXml = kNoNameID}},
        BadModule{"NotXml", {.folder = "a_bad", .moduleXml = "this is not XML"}},
        // 32 bytes leave no room for the terminator of the 32-byte name buffer.
        BadModule{"IconNameTooLong",
                  {.folder = "a_bad", .iconName = "butn_012345678901234567890123456"}},
        BadModule{"ModuleFileMissing", {.folder = "a_bad", .copyBundle = false}},
        BadModule{"NotASharedObject",
                  {.folder = "a_bad", .moduleFile = "Fake.so", .copyBundle = false},
                  "Fake.so",
                  "not an ELF file"}),
    [](const ::testing::TestParamInfo<BadModule>& info) { return std::string(info.param.what); });

TEST_F(ModuleMgrTest, NoEntryPointBundleIsRefused) {
  // The same refusal with the bundle beside the descriptor.
  fs::path folder = Stage({.folder = "Plain", .moduleFile = "NoEntryModule.bundle", .copyBundle = false});
  fs::copy(orvtest::NoEntryModuleBundle(), folder / "NoEntryModule.bundle", fs::copy_options::recursive);
  auto mgr = MakeManager();
  mgr->LoadAll();
  EXPECT_EQ(mgr->GetModuleCount(), 0u);
}

TEST_F(ModuleMgrTest, IconNameOfThirtyOneBytesIsKept) {
  std::string name = "butn_01234567890123456789012345";
  ASSERT_EQ(name.size(), 31u);
  Stage({.folder = "Alpha", .iconName = name});
  auto mgr = MakeManager();
  mgr->LoadAll();
  ASSERT_EQ(mgr->GetModuleCount(), 1u);
  EXPECT_EQ(std::string(mgr->GetModuleRadoNameByIndex(0)), name);
}

TEST_F(ModuleMgrTest, StagedModuleFoldersLoad) {
  // The ready folders of the build tree, as a main program test uses them.
  fs::remove_all(Modules());
  fs::copy(orvtest::StagedModulesFolder(), Modules(), fs::copy_options::recursive);
  auto mgr = MakeManager();
  mgr->LoadAll();
  ASSERT_EQ(mgr->GetModuleCount(), 2u);
  EXPECT_EQ(U8(mgr->GetModuleNameByIndex(0)), "Alpha");
  EXPECT_EQ(U8(mgr->GetModuleNameByIndex(1)), "Beta");
  // What the home page and the tabs read of a module loads from the paths given.
  QelObject icon = QelCreateLayoutW(mgr->GetModuleIconFileByIndex(0));
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(qel::Element::From(icon)->FindByName("butn_active", true), nullptr);
  Qel0Release(icon);
  QelObject tab = QelCreateLayoutW(mgr->GetModuleRadoFileByIndex(0));
  ASSERT_NE(tab, nullptr);
  std::string radoName = mgr->GetModuleRadoNameByIndex(0);
  EXPECT_NE(qel::Element::From(tab)->FindByName(radoName, true), nullptr);
  EXPECT_NE(qel::Element::From(tab)->FindByName(radoName + "P", true), nullptr);
  Qel0Release(tab);
  QelObject strings = QelCreateAUIW(mgr->GetModuleStringFileByIndex(0));
  ASSERT_NE(strings, nullptr);
  auto text = [&](int32_t id) {
    auto* s = reinterpret_cast<const WCHAR*>(Qel0Inter(strings, QEL_IF_AUI, 2, id, 0));
    return s ? QelToUTF8(s) : std::string("<none>");
  };
  EXPECT_EQ(text(mgr->GetModuleDescStringIndexByIndex(0)), "Alpha test module");
  EXPECT_EQ(text(mgr->GetModuleNameIDByLibID(uint32_t(mgr->GetModuleLibID(0)))), "Alpha");
  Qel0Release(strings);

  EXPECT_EQ(mgr->LaunchModule(uint32_t(mgr->GetModuleLibID(1)), nullptr, 1), 0);
  EXPECT_EQ(mgr->ExitLaunch(uint32_t(mgr->GetModuleLibID(1)), 1), 0);
  EXPECT_EQ(Calls().back(), "Beta: Destroy");
}
