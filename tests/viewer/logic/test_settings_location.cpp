// Where the settings file goes: beside a program in a writable folder, else
// under the user's configuration folder (always a temporary one here).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFileInfo>
#include <filesystem>
#include <optional>
#include <unistd.h>

#include "tests/support/temp_dir.h"
#include "viewer/logic/ini_file.h"
#include "viewer/logic/settings_location.h"

namespace {

QString q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Sets an environment variable for the life of the object, then restores it.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<QByteArray>& value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
    if (value) qputenv(name, *value);
    else qunsetenv(name);
  }
  ~ScopedVariable() {
    if (old_) qputenv(name_, *old_);
    else qunsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<QByteArray> old_;
};

// A temporary configuration folder and home, so the real ones are never touched.
struct UserFolders {
  TempDir config;
  TempDir home;
  ScopedVariable config_variable{"XDG_CONFIG_HOME", config.path().string().c_str()};
  ScopedVariable home_variable{"HOME", home.path().string().c_str()};
};

}  // namespace

TEST(SettingsLocation, BesideAProgramInAWritableFolder) {
  UserFolders user;
  TempDir program;
  EXPECT_EQ(settings_location(q(program.path() / "wsqview")), q(program.path() / "wsqview.ini"));
  EXPECT_FALSE(QFileInfo::exists(q(user.config.path() / "wsqview")));
}

TEST(SettingsLocation, UnderTheConfigurationFolderWhenTheProgramFolderCannotBeWritten) {
  UserFolders user;
  const QString path = settings_location("/nonexistent-folder/bin/wsqview");
  EXPECT_EQ(path, q(user.config.path() / "wsqview" / "wsqview.ini"));
  EXPECT_TRUE(QFileInfo(q(user.config.path() / "wsqview")).isDir());
  // The settings written there are kept.
  const IniFile settings(path);
  ASSERT_TRUE(settings.write_bool("Show", "show_zoom_toolbar", true));
  EXPECT_TRUE(IniFile(settings_location("/nonexistent-folder/bin/wsqview")).read_bool("Show", "show_zoom_toolbar", false));
}

TEST(SettingsLocation, ReadOnlyProgramFolder) {
  UserFolders user;
  TempDir program;
  std::filesystem::permissions(program.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool privileged = ::access(program.path().c_str(), W_OK) == 0;
  const QString path = settings_location(q(program.path() / "wsqview"));
  std::filesystem::permissions(program.path(), std::filesystem::perms::owner_all);
  if (privileged) GTEST_SKIP() << "every folder is writable to this user";
  EXPECT_EQ(path, q(user.config.path() / "wsqview" / "wsqview.ini"));
}

TEST(SettingsLocation, HomeConfigWhenTheVariableIsUnsetEmptyOrRelative) {
  UserFolders user;
  const QString expected = q(user.home.path() / ".config" / "wsqview" / "wsqview.ini");
  for (const std::optional<QByteArray>& value : {std::optional<QByteArray>(), std::optional<QByteArray>(""),
                                                 std::optional<QByteArray>("relative/config")}) {
    ScopedVariable config("XDG_CONFIG_HOME", value);
    EXPECT_EQ(settings_location("/nonexistent-folder/bin/wsqview"), expected);
  }
  EXPECT_TRUE(QFileInfo(q(user.home.path() / ".config" / "wsqview")).isDir());
}

TEST(SettingsLocation, BesideTheProgramWhenNoUserFolderIsKnown) {
  ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
  ScopedVariable home("HOME", std::nullopt);
  EXPECT_EQ(settings_location("/nonexistent-folder/bin/wsqview"), "/nonexistent-folder/bin/wsqview.ini");
}
