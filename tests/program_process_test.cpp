// The shipped program as a process: started on a private Xvfb display with no window
// manager, its window found and closed the way a window manager closes it (WM_DELETE_WINDOW),
// and the process judged by its exit code and its stderr.
#include <gtest/gtest.h>

// After gtest: Xlib defines None, Bool and Status as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/stall_watch.h"

extern char** environ;

namespace {

pid_t spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment,
            posix_spawn_file_actions_t* actions) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> environment(extraEnvironment);
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "DISPLAY=", 8) != 0 && std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0) {
      environment.emplace_back(*entry);
    }
  }
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), envp.data()) != 0) return -1;
  return pid;
}

// Waits for the child to end; its wait status, or nothing when it stopped working first.
std::optional<int> waitFor(pid_t pid) {
  StallWatch watch;
  do {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (!watch.childStalled(pid));
  return std::nullopt;
}

// A private X server on the first free display; stopped when the test ends.
class PrivateDisplay {
 public:
  PrivateDisplay() {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    server_ = spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1280x800x24", "-nolisten", "tcp"},
                    {}, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string number;
    char c = 0;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
    close(pipeFds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~PrivateDisplay() {
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
  }
  const std::string& name() const { return name_; }

 private:
  pid_t server_ = -1;
  std::string name_;
};

Window findTitled(Display* display, Window under, const char* title) {
  char* name = nullptr;
  if (XFetchName(display, under, &name) != 0 && name != nullptr) {
    const bool match = std::strcmp(name, title) == 0;
    XFree(name);
    if (match) return under;
  }
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  Window found = 0;
  if (XQueryTree(display, under, &root, &parent, &children, &count) != 0) {
    for (unsigned int i = 0; i < count && found == 0; ++i) found = findTitled(display, children[i], title);
    if (children != nullptr) XFree(children);
  }
  return found;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ProgramProcess, OpensCentredAndEndsWithZeroWhenItsWindowIsClosed) {
  PrivateDisplay server;
  ASSERT_FALSE(server.name().empty()) << "Xvfb did not start";
  Display* display = XOpenDisplay(server.name().c_str());
  ASSERT_NE(display, nullptr);

  const std::string errors = ::testing::TempDir() + "cellbrae_stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t program = spawn({CELLBRAE_PROGRAM}, {"DISPLAY=" + server.name(), "QT_QPA_PLATFORM=xcb"}, &actions);
  posix_spawn_file_actions_destroy(&actions);
  ASSERT_GT(program, 0);

  Window window = 0;
  XWindowAttributes attributes{};
  StallWatch starting;
  while (!starting.childStalled(program)) {
    window = findTitled(display, DefaultRootWindow(display), "Cellbrae");
    if (window != 0 && XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable) break;
    window = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_NE(window, 0u) << "no window titled Cellbrae";
  // Without a window manager there is no frame: the client is the whole 940 by 720, centred.
  int left = 0;
  int top = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &left, &top, &child);
  EXPECT_EQ(attributes.width, 940);
  EXPECT_EQ(attributes.height, 720);
  EXPECT_EQ(left, (1280 - 940) / 2);
  EXPECT_EQ(top, (800 - 720) / 2);

  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = window;
  close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &close);
  XFlush(display);

  const std::optional<int> status = waitFor(program);
  if (!status) {
    kill(program, SIGKILL);
    waitpid(program, nullptr, 0);
  }
  ASSERT_TRUE(status.has_value()) << "the program did not end when its window was closed";
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  EXPECT_EQ(fileText(errors).find("Sanitizer"), std::string::npos) << fileText(errors);
  XCloseDisplay(display);
}

}  // namespace
