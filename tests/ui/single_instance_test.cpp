#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/single_instance.h"

namespace phondeck {
namespace {

namespace fs = std::filesystem;

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ui-instance-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
    folder_ = root_ + "/run";
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs SingleInstance::acquire in a child process; returns its role as the
  // exit status (0 First, 1 Second, 2 Unguarded).
  int role_in_child() {
    const pid_t pid = ::fork();
    if (pid == 0) {
      SingleInstance other("Telvane", folder_);
      _exit(static_cast<int>(other.acquire()));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  int wait_for_hand_offs(SingleInstance& first, int want) {
    int got = 0;
    for (int i = 0; i < 100 && got < want; ++i) {
      got += first.take_hand_offs();
      if (got < want) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return got;
  }

  std::string root_;
  std::string folder_;
};

TEST_F(SingleInstanceTest, SecondProcessHandsOffToTheFirst) {
  SingleInstance first("Telvane", folder_);
  ASSERT_EQ(first.acquire(), SingleInstance::Role::First);
  ASSERT_GE(first.listen_fd(), 0);
  EXPECT_EQ(first.take_hand_offs(), 0);

  EXPECT_EQ(role_in_child(), static_cast<int>(SingleInstance::Role::Second));
  EXPECT_EQ(wait_for_hand_offs(first, 1), 1);
  EXPECT_EQ(role_in_child(), static_cast<int>(SingleInstance::Role::Second));
  EXPECT_EQ(role_in_child(), static_cast<int>(SingleInstance::Role::Second));
  EXPECT_EQ(wait_for_hand_offs(first, 2), 2);
}

TEST_F(SingleInstanceTest, FolderAndSocketAreReachableOnlyByTheUser) {
  SingleInstance first("Telvane", folder_);
  ASSERT_EQ(first.acquire(), SingleInstance::Role::First);
  struct stat st {};
  ASSERT_EQ(::stat(folder_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(first.socket_path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST_F(SingleInstanceTest, CrashedOwnerLeavesNothingThatBlocksTheNextStart) {
  // A child takes the instance and dies without cleaning up.
  const pid_t pid = ::fork();
  if (pid == 0) {
    auto* leaked = new SingleInstance("Telvane", folder_);
    _exit(leaked->acquire() == SingleInstance::Role::First ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_TRUE(fs::exists(folder_ + "/Telvane.socket"));
  ASSERT_TRUE(fs::exists(folder_ + "/Telvane.lock"));

  SingleInstance next("Telvane", folder_);
  EXPECT_EQ(next.acquire(), SingleInstance::Role::First);
  EXPECT_EQ(role_in_child(), static_cast<int>(SingleInstance::Role::Second));
  EXPECT_EQ(wait_for_hand_offs(next, 1), 1);
}

TEST_F(SingleInstanceTest, EndingTheFirstFreesTheInstance) {
  {
    SingleInstance first("Telvane", folder_);
    ASSERT_EQ(first.acquire(), SingleInstance::Role::First);
  }
  EXPECT_FALSE(fs::exists(folder_ + "/Telvane.socket"));
  EXPECT_EQ(role_in_child(), static_cast<int>(SingleInstance::Role::First));
}

TEST_F(SingleInstanceTest, RefusesAFolderOthersCanEnter) {
  ASSERT_TRUE(fs::create_directory(folder_));
  ::chmod(folder_.c_str(), 0777);
  SingleInstance guarded("Telvane", folder_);
  EXPECT_EQ(guarded.acquire(), SingleInstance::Role::Unguarded);
  EXPECT_FALSE(fs::exists(folder_ + "/Telvane.lock"));
}

TEST_F(SingleInstanceTest, RefusesASymlinkInPlaceOfTheFolder) {
  const std::string target = root_ + "/elsewhere";
  ASSERT_TRUE(fs::create_directory(target));
  ::chmod(target.c_str(), 0700);
  fs::create_directory_symlink(target, folder_);
  SingleInstance guarded("Telvane", folder_);
  EXPECT_EQ(guarded.acquire(), SingleInstance::Role::Unguarded);
}

TEST(SingleInstanceFolder, DefaultIsPerUser) {
  const std::string folder = SingleInstance::default_folder("Telvane");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || folder != runtime) {
    EXPECT_EQ(folder, "/tmp/Telvane-" + std::to_string(::geteuid()));
  }
}

}  // namespace
}  // namespace phondeck
