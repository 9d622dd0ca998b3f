// The local library of a module installed where the user cannot write, with
// the system's real answers. Tests run as root here, and root writes through
// any mode bits; so the user who cannot write is played by "nobody" in a
// child process (or by this user where it is not root), and root itself is
// shown a read-only bind mount in a mount namespace of the child's own, which
// stops root too.
#include "platform/FileOperations.h"
#include "platform/ModuleLocation.h"
#include "platform/UserDataFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <grp.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kCannotSetUp = 77;
constexpr uid_t kNobody = 65534;

// Runs `check` in a child process after `setUp`; 1 when it held, 0 when not,
// kCannotSetUp when the child could not be set up.
int inChild(const std::function<bool()>& setUp, const std::function<bool()>& check)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(!setUp() ? kCannotSetUp : check() ? 1 : 0);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// The child gives up root for "nobody"; a child that is not root stays who it is.
bool becomeOrdinaryUser()
{
    if (getuid() != 0)
        return true;
    return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
}

// The child sees `folder` read-only through a bind mount only it can see.
bool mountReadOnly(const std::string& folder)
{
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
           && mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0
           && mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

class ReadOnlyLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = dir.path() + "/vst/KestrelReverb/KestrelReverb.so";
        beside = dir.path() + "/vst/KestrelReverb/data";
        userData = dir.path() + "/home/share";
        ASSERT_TRUE(platform::makeFolders(beside));
        ASSERT_TRUE(platform::makeFolders(dir.path() + "/open"));
        // The installed folders as a package leaves them: readable by all, written by root only.
        ASSERT_EQ(chmod(beside.c_str(), 0555), 0);
        ASSERT_EQ(chmod((dir.path() + "/vst/KestrelReverb").c_str(), 0555), 0);
        ASSERT_EQ(chmod((dir.path() + "/open").c_str(), 0777), 0);
        saveVariable("XDG_DATA_HOME", savedDataHome, hadDataHome);
        saveVariable("HOME", savedHome, hadHome);
        setenv("XDG_DATA_HOME", userData.c_str(), 1);
    }
    void TearDown() override
    {
        // Writable again, so that the folder can be removed by whoever runs this.
        chmod(beside.c_str(), 0755);
        chmod((dir.path() + "/vst/KestrelReverb").c_str(), 0755);
        restoreVariable("XDG_DATA_HOME", savedDataHome, hadDataHome);
        restoreVariable("HOME", savedHome, hadHome);
    }
    static void saveVariable(const char* name, std::string& value, bool& had)
    {
        const char* v = std::getenv(name);
        had = v != nullptr;
        value = v ? v : "";
    }
    static void restoreVariable(const char* name, const std::string& value, bool had)
    {
        if (had)
            setenv(name, value.c_str(), 1);
        else
            unsetenv(name);
    }
    // What an instance of the module chooses, against `expected`.
    std::function<bool()> choosesLibrary(const std::string& expected) const
    {
        const std::string path = module;
        return [path, expected] {
            const platform::ModuleLocation loc = platform::ModuleLocation::ofLoadedModule(path.c_str());
            return std::string(loc.dataFolder) == expected;
        };
    }

    testsupport::TempDir dir{"readonly"};
    std::string module, beside, userData;
    std::string savedDataHome, savedHome;
    bool hadDataHome = false, hadHome = false;
};

} // namespace

TEST_F(ReadOnlyLibraryTest, AUserWhoCannotWriteBesideTheModuleGetsTheirOwnFolder)
{
    const std::string open = dir.path() + "/open";
    const auto cannotWrite = [this] { return !platform::canCreateFilesIn(beside); };
    const auto canWriteOpen = [open] { return platform::canCreateFilesIn(open); };
    ASSERT_EQ(inChild(becomeOrdinaryUser, canWriteOpen), 1) << "the check must say yes where the user may write";
    EXPECT_EQ(inChild(becomeOrdinaryUser, cannotWrite), 1);
    EXPECT_EQ(inChild(becomeOrdinaryUser, choosesLibrary(userData + "/KestrelReverb/data")), 1);
    // Root may write there, so for root nothing changes.
    if (getuid() == 0) {
        EXPECT_EQ(inChild([] { return true; }, choosesLibrary(beside)), 1);
    }
}

TEST_F(ReadOnlyLibraryTest, AReadOnlyMountStopsRootToo)
{
    const std::string installed = dir.path() + "/vst";
    const int answer =
        inChild([&] { return mountReadOnly(installed); }, choosesLibrary(userData + "/KestrelReverb/data"));
    if (answer == kCannotSetUp)
        GTEST_SKIP() << "no mount namespace for this user";
    EXPECT_EQ(answer, 1);
}

TEST_F(ReadOnlyLibraryTest, PerUserFolderFollowsTheBaseDirectoryRules)
{
    setenv("XDG_DATA_HOME", "/data/ann/", 1);
    EXPECT_EQ(platform::perUserDataFolder(), "/data/ann/KestrelReverb/data");
    // A relative XDG_DATA_HOME is ignored, as is an unset one: the home folder's share folder.
    setenv("HOME", "/home/ann", 1);
    setenv("XDG_DATA_HOME", "relative/share", 1);
    EXPECT_EQ(platform::perUserDataFolder(), "/home/ann/.local/share/KestrelReverb/data");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/ann/", 1);
    EXPECT_EQ(platform::perUserDataFolder(), "/home/ann/.local/share/KestrelReverb/data");
    // No HOME: the user's entry in the password database.
    unsetenv("HOME");
    const std::string fromDatabase = platform::perUserDataFolder();
    EXPECT_EQ(fromDatabase.rfind('/', 0), 0u) << fromDatabase;
    EXPECT_NE(fromDatabase.find("/.local/share/KestrelReverb/data"), std::string::npos) << fromDatabase;
}
