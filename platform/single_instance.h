#pragma once
// One running Telvane per user. The first process holds an exclusive lock on
// a file in a folder only its user can reach and listens on a local stream
// socket beside it; a later process finds the lock taken, connects to the
// socket, writes one byte (the hand-off) and ends. The lock goes with the
// process that held it, so a crashed instance leaves nothing that blocks the
// next start: a socket file left behind is replaced by the next owner.
#include <string>

namespace phondeck {

class SingleInstance {
 public:
  enum class Role {
    First,     // this process owns the instance; listen_fd() reports hand-offs
    Second,    // another instance runs and has been told to come to the front
    Unguarded  // the folder or the lock could not be set up; run unguarded
  };

  // name: "Telvane"; folder: where the lock and the socket live (empty for
  // default_folder(name)).
  explicit SingleInstance(std::string name, std::string folder = {});
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the lock or hands off to the process holding it.
  Role acquire();

  // The listening socket of the first instance (-1 otherwise); readable when
  // a hand-off is waiting.
  int listen_fd() const { return listen_fd_; }
  // Accepts every waiting hand-off without blocking; returns how many came.
  int take_hand_offs();

  // Gives the instance up now (closes and removes the socket, drops the
  // lock), as the destructor does; for a process that ends without unwinding.
  void release();

  const std::string& socket_path() const { return socket_path_; }
  const std::string& lock_path() const { return lock_path_; }

  // $XDG_RUNTIME_DIR when it is a private folder of this user, otherwise
  // /tmp/<name>-<uid>, created with mode 0700.
  static std::string default_folder(const std::string& name);

 private:
  bool prepare_folder();
  bool hand_off();
  bool start_listening();

  std::string name_;
  std::string folder_;
  std::string lock_path_;
  std::string socket_path_;
  int lock_fd_ = -1;
  int listen_fd_ = -1;
};

}  // namespace phondeck
