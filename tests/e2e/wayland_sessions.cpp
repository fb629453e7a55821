#include "e2e/wayland_sessions.h"

#include <linux/netlink.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "e2e/e2e_support.h"

namespace lumio::testing::e2e {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kUser = 65534;  // nobody
const fs::path kLeds = "/sys/class/leds";
constexpr const char* kLockLights[] = {"capslock", "numlock", "scrolllock"};

// The children of a process, per /proc.
std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> children;
  std::error_code error;
  for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = ReadWholeFile(it->path() / "stat");
    const std::size_t close = stat.rfind(')');
    int ppid = 0;
    if (close != std::string::npos && std::sscanf(stat.c_str() + close + 1, " %*c %d", &ppid) == 1 && ppid == parent)
      children.push_back(std::stoi(name));
  }
  return children;
}

void GiveToUser(const fs::path& path, fs::perms perms) {
  fs::permissions(path, perms);
  if (chown(path.c_str(), kUser, kUser) != 0) throw std::runtime_error("cannot chown " + path.string());
}

// What udev sends once it has set a device up, in the kernel's own form.
void Announce(const std::string& action, const std::string& keyboard, const char* light) {
  static unsigned sequence = 1000;
  const std::string path = "/devices/virtual/input/" + keyboard + "/" + keyboard + "::" + light;
  std::string message = action + "@" + path;
  for (const std::string& field : {"ACTION=" + action, "DEVPATH=" + path, std::string("SUBSYSTEM=leds"),
                                   "SEQNUM=" + std::to_string(++sequence)})
    message += '\0' + field;
  message += '\0';
  const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
  sockaddr_nl to{};
  to.nl_family = AF_NETLINK;
  to.nl_groups = 2;  // udev's; the kernel's own (1) is believed only from the kernel
  if (fd < 0 || sendto(fd, message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0)
    throw std::runtime_error(std::string("cannot announce a light: ") + std::strerror(errno));
  close(fd);
}

}  // namespace

void WriteFile(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
}

std::optional<ScreenImage> ImageFromPpm(const std::string& bytes, int x, int y) {
  int width = 0, height = 0, maxValue = 0, headerLength = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &width, &height, &maxValue, &headerLength) != 3 ||
      maxValue != 255 || width <= 0 || height <= 0)
    return std::nullopt;
  const std::size_t start = static_cast<std::size_t>(headerLength) + 1;  // one blank after the header
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  if (bytes.size() < start + size) return std::nullopt;
  ScreenImage image{x, y, width, height, {}};
  image.pixels.reserve(size / 3);
  for (std::size_t i = start; i < start + size; i += 3)
    image.pixels.push_back({static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1]),
                            static_cast<unsigned char>(bytes[i + 2])});
  return image;
}

AdoptedProcesses::AdoptedProcesses() { prctl(PR_SET_CHILD_SUBREAPER, 1); }

AdoptedProcesses::~AdoptedProcesses() {
  for (int round = 0; round < 3; ++round) {  // one ending may orphan another
    const std::vector<pid_t> left = ChildrenOf(getpid());
    if (left.empty()) break;
    for (pid_t pid : left) EndChild(pid, 2s);
  }
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

std::string EnterFakeDevices(const std::vector<std::string>& keyboards) {
  if (unshare(CLONE_NEWNS | CLONE_NEWNET) != 0) return std::string("unshare: ") + std::strerror(errno);
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      mount("none", "/sys/class", "tmpfs", 0, "mode=755") != 0)
    return std::string("mount: ") + std::strerror(errno);
  // libudev listens only where udev's control socket is; without udev
  // here, a /run of our own shows one (and keeps what the session uses).
  if (access("/run/udev/control", F_OK) != 0) {
    if (mount("none", "/run", "tmpfs", 0, "mode=755") != 0) return std::string("mount /run: ") + std::strerror(errno);
    fs::create_directories("/run/udev");
    fs::create_directory("/run/lock");
    fs::create_directory("/run/user");
    fs::permissions("/run/lock", fs::perms(01777));
    fs::create_symlink("/dev/shm", "/run/shm");
    WriteFile("/run/udev/control", "");
  }
  for (const std::string& keyboard : keyboards)
    for (const char* light : kLockLights) {
      const fs::path folder = kLeds / (keyboard + "::" + light);
      fs::create_directories(folder);
      WriteFile(folder / "brightness", "0\n");
      WriteFile(folder / "max_brightness", "1\n");
    }
  return "";
}

fs::path CapsLight(const std::string& keyboard) { return kLeds / (keyboard + "::capslock") / "brightness"; }

void PlugKeyboard(const std::string& keyboard) {
  for (const char* light : kLockLights) {
    const fs::path folder = kLeds / (keyboard + "::" + light);
    fs::create_directories(folder);
    WriteFile(folder / "brightness", "0\n");
    Announce("add", keyboard, light);
  }
}

void UnplugKeyboard(const std::string& keyboard) {
  for (const char* light : kLockLights) {
    fs::remove_all(kLeds / (keyboard + "::" + light));
    Announce("remove", keyboard, light);
  }
}

std::vector<IdleFigures> MeasureIdle(const std::vector<pid_t>& pids, std::chrono::milliseconds span) {
  std::vector<long long> cpu, wakeups;
  for (pid_t pid : pids) {
    cpu.push_back(CpuNanoseconds(pid).value_or(0));
    wakeups.push_back(Wakeups(pid).value_or(0));
  }
  const auto start = Clock::now();
  std::this_thread::sleep_for(span);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<IdleFigures> figures;
  for (std::size_t i = 0; i < pids.size(); ++i)
    figures.push_back({100.0 * static_cast<double>(CpuNanoseconds(pids[i]).value_or(0) - cpu[i]) / (seconds * 1e9),
                       static_cast<double>(Wakeups(pids[i]).value_or(0) - wakeups[i]) / seconds});
  return figures;
}

SwaySession::SwaySession(const fs::path& folder) : folder_(folder) {
  fs::permissions(folder_, fs::perms(0755));
  for (const char* sub : {"run", "home", "program"}) {
    fs::create_directory(folder_ / sub);
    GiveToUser(folder_ / sub, fs::perms(0700));
  }
  // sway says which X display XWayland has by running a command with it.
  WriteFile(folder_ / "sway.conf",
            "xwayland enable\n"
            "output HEADLESS-1 mode 1280x800 position 0 0 bg #203040 solid_color\n"
            "exec printf %s \"$DISPLAY\" > " + (folder_ / "run" / "x-display").string() + "\n");
  sway_ = startAsUser({"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                       "WLR_HEADLESS_OUTPUTS=1", "sway", "-c", (folder_ / "sway.conf").string()});
  const bool up = WaitUntil(
      [&] {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder_ / "run", error)) {
          const std::string name = entry.path().filename().string();
          if (name.rfind("wayland-", 0) == 0 && name.find('.') == std::string::npos) wayland_ = name;
          if (name.rfind("sway-ipc.", 0) == 0) swaySocket_ = entry.path().string();
        }
        xDisplay_ = ReadWholeFile(folder_ / "run" / "x-display");
        return !wayland_.empty() && !swaySocket_.empty() && !xDisplay_.empty();
      },
      10s);
  if (!up) failure_ = "sway did not start:\n" + sway_->standardError();
}

SwaySession::~SwaySession() = default;

fs::path SwaySession::giveToUser(const fs::path& executable) {
  const fs::path copy = CopyExecutable(executable, folder_ / "program");
  GiveToUser(copy, fs::perms(0755));
  return copy;
}

std::unique_ptr<ChildProcess> SwaySession::startAsUser(const std::vector<std::string>& environmentAndCommand) {
  return std::make_unique<ChildProcess>(asUser(environmentAndCommand));
}

ChildProcess::Options SwaySession::asUser(const std::vector<std::string>& environmentAndCommand) const {
  ChildProcess::Options options;
  options.executable = "/usr/bin/setpriv";
  options.arguments = {"--reuid=65534", "--regid=65534", "--clear-groups", "--", "/usr/bin/env", "-i",
                       "PATH=/usr/bin:/bin", "LANG=C.UTF-8", "HOME=" + home().string(),
                       "XDG_RUNTIME_DIR=" + (folder_ / "run").string()};
  if (!wayland_.empty()) options.arguments.push_back("WAYLAND_DISPLAY=" + wayland_);
  if (!swaySocket_.empty()) options.arguments.push_back("SWAYSOCK=" + swaySocket_);
  if (!xDisplay_.empty()) options.arguments.push_back("DISPLAY=" + xDisplay_);
  options.arguments.insert(options.arguments.end(), environmentAndCommand.begin(), environmentAndCommand.end());
  options.workingFolder = home();
  return options;
}

std::optional<std::string> SwaySession::runToEnd(const std::vector<std::string>& command) {
  const RunResult run = RunToEnd(asUser(command), 5s);
  return run.succeeded() ? std::optional(run.output) : std::nullopt;
}

std::optional<ScreenImage> SwaySession::screenshot(int top, int height) {
  const auto bytes = runToEnd({"grim", "-t", "ppm", "-g", "0," + std::to_string(top) + " 1280x" +
                                                        std::to_string(height), "-"});
  return bytes ? ImageFromPpm(*bytes, 0, top) : std::nullopt;
}

KwinSession::KwinSession(const fs::path& folder) : folder_(folder) {
  const fs::path run = folder_ / "run", applications = folder_ / "home/.local/share/applications";
  fs::create_directories(run);
  fs::permissions(run, fs::perms(0700));
  fs::create_directories(applications);
  const auto trust = [&](const char* tool, const std::string& key, const char* interface) {
    WriteFile(applications / ("lumio-test-" + fs::path(tool).filename().string() + ".desktop"),
              "[Desktop Entry]\nType=Application\nName=" + fs::path(tool).filename().string() + "\nExec=" + tool +
                  "\nNoDisplay=true\n" + key + "=" + interface + "\n");
  };
  trust(LUMIO_WAYLAND_INPUT, "X-KDE-Wayland-Interfaces", "org_kde_kwin_fake_input");
  trust(LUMIO_KWIN_SCREENSHOT, "X-KDE-DBUS-Restricted-Interfaces", "org.kde.KWin.ScreenShot2");
  ChildProcess::Options sycoca;
  sycoca.executable = "/usr/bin/kbuildsycoca5";
  sycoca.setEnvironment = environment();
  sycoca.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME"};
  if (!RunToEnd(sycoca, 30s).exit) failure_ = "kbuildsycoca5 did not finish";

  ChildProcess::Options bus;
  bus.executable = "/usr/bin/dbus-daemon";
  bus.arguments = {"--session", "--nofork", "--address=unix:path=" + (folder_ / "bus").string()};
  bus_ = std::make_unique<ChildProcess>(bus);
  // Its file capability is not allowed here: a plain copy, under its own
  // name, which its platform plugin checks.
  fs::create_directory(folder_ / "bin");
  ChildProcess::Options kwin;
  kwin.executable = CopyExecutable("/usr/bin/kwin_wayland", folder_ / "bin");
  kwin.arguments = {"--virtual", "--xwayland", "--width", "1280", "--height", "800", "--socket", "wayland-lumio",
                    "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"};
  kwin.setEnvironment = environment();
  kwin.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "KWIN_WAYLAND_NO_PERMISSION_CHECKS"};
  if (!WaitUntil([&] { return fs::exists(folder_ / "bus"); }, 5s)) failure_ = "no session bus";
  if (!failure_.empty()) return;
  kwin_ = std::make_unique<ChildProcess>(kwin);
  // XWayland is KWin's child, its display on its command line.
  const bool up = WaitUntil(
      [&] {
        for (pid_t child : ChildrenOf(kwin_->pid())) {
          std::string line = ReadWholeFile("/proc/" + std::to_string(child) + "/cmdline");
          std::replace(line.begin(), line.end(), '\0', ' ');
          if (line.rfind("/usr/bin/Xwayland :", 0) == 0) xDisplay_ = line.substr(18, line.find(' ', 18) - 18);
        }
        return !xDisplay_.empty() && fs::exists(run / "wayland-lumio");
      },
      20s);
  if (!up) failure_ = "KWin did not start:\n" + kwin_->standardError();
}

KwinSession::~KwinSession() {
  kwin_.reset();
  bus_.reset();
}

std::vector<std::pair<std::string, std::string>> KwinSession::environment() const {
  return {{"HOME", (folder_ / "home").string()},
          {"XDG_RUNTIME_DIR", (folder_ / "run").string()},
          {"XDG_DATA_DIRS", "/usr/share"},
          {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (folder_ / "bus").string()}};
}

ChildProcess::Options KwinSession::client(const fs::path& executable, const std::vector<std::string>& arguments) const {
  ChildProcess::Options options{executable, arguments, folder_ / "home", environment(),
                                {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}};
  options.setEnvironment.push_back({"WAYLAND_DISPLAY", "wayland-lumio"});
  options.setEnvironment.push_back({"DISPLAY", xDisplay_});
  return options;
}

bool KwinSession::pressKey(int evdevCode) {
  return RunToEnd(client(LUMIO_WAYLAND_INPUT, {"key", std::to_string(evdevCode)}), 5s).succeeded();
}

std::optional<ScreenImage> KwinSession::screenshot(int top, int height) {
  const RunResult shot =
      RunToEnd(client(LUMIO_KWIN_SCREENSHOT, {"0", std::to_string(top), "1280", std::to_string(height)}), 5s);
  return shot.succeeded() ? ImageFromPpm(shot.output, 0, top) : std::nullopt;
}

}  // namespace lumio::testing::e2e
