// Times a GUI application's start on an X server through the DAMAGE extension, the same way for
// every application it starts. Used by measure-startup.sh and measure-document-change.py.
//
//   tq_app_launch_probe launch [--click X,Y] [--prompt-file PATH] [--settle-ms N] [--timeout-ms N]
//                              [--smaps FILE] [--trace] -- COMMAND [ARG...]
//     Starts COMMAND and prints "key value" lines, times in ms from the moment before fork:
//       frame   first DamageNotify on a window the command creates under the root after which
//               that window shows more than one colour (its first frame reaching the server; the
//               background the server paints when the window is mapped does not count);
//       map     first MapNotify of such a window;
//       click   with --click: a pointer click sent through XTest at root position X,Y right after
//               the first frame (no window manager: top-level windows sit at the origin);
//       prompt  with --prompt-file: the CLOCK_REALTIME time written into PATH by the shell's
//               first PROMPT_COMMAND (the helper deletes PATH first and waits for it);
//       prompt_shown  with --prompt-file: the first damage after which the window's middle column
//               of pixels holds pure magenta (#ff00ff), the colour the probe's prompt line has;
//       frame_cpu, prompt_shown_cpu  CPU time (ms, all live threads, from schedstat) the command
//               had used at the first frame and when the prompt showed (the shell not included);
//       rss_kb, anon_kb, pss_kb  VmRSS, RssAnon and Pss of the command's process, --settle-ms
//               (default 2000) after the prompt shows (or after the first frame without --prompt-file).
//     --smaps FILE copies /proc/PID/smaps there at that moment (where the memory is); --trace
//     logs every window creation, map and damage to stderr.
//     Then ends the command (SIGTERM to it, SIGKILL after 5 s) and exits 0; non-zero on timeout
//     or when the command exits early.
//
//   tq_app_launch_probe damage-log --window ID [--region X,Y,WIDTH,HEIGHT]
//     Prints "0 [CHECKSUM]" at once, then "REALTIME_NS [CHECKSUM]" whenever window ID is drawn
//     (the time the damage reached us; CHECKSUM is of the region's pixels after it), until stdin
//     closes.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <dirent.h>
#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Nanoseconds = long long;

Nanoseconds realtimeNow()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<Nanoseconds>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

double millisecondsBetween(Nanoseconds from, Nanoseconds to)
{
    return static_cast<double>(to - from) / 1e6;
}

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "tq_app_launch_probe: %s\n", message.c_str());
    std::exit(2);
}

// Windows vanish between CreateNotify and our requests on them; those errors are expected.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

struct DamageConnection {
    Display* display = nullptr;
    int eventBase = 0;
};

DamageConnection openDisplayWithDamage()
{
    DamageConnection damage;
    damage.display = XOpenDisplay(nullptr);
    if (!damage.display)
        fail("cannot open the X display (is DISPLAY set?)");
    int errorBase = 0;
    if (!XDamageQueryExtension(damage.display, &damage.eventBase, &errorBase))
        fail("the X server has no DAMAGE extension");
    int major = 0;
    int minor = 0;
    XDamageQueryVersion(damage.display, &major, &minor);
    XSetErrorHandler(ignoreXError);
    return damage;
}

// XTest comes from libXtst at run time: xdotool already needs it, and its headers are not part
// of the build's dependencies.
class PointerClicker {
public:
    PointerClicker()
    {
        library_ = dlopen("libXtst.so.6", RTLD_NOW);
        if (!library_)
            fail("libXtst.so.6 is missing (install xdotool or libxtst6)");
        motion_ = reinterpret_cast<MotionFunction>(dlsym(library_, "XTestFakeMotionEvent"));
        button_ = reinterpret_cast<ButtonFunction>(dlsym(library_, "XTestFakeButtonEvent"));
        if (!motion_ || !button_)
            fail("libXtst.so.6 lacks XTestFakeMotionEvent or XTestFakeButtonEvent");
    }

    void click(Display* display, int x, int y) const
    {
        motion_(display, -1, x, y, CurrentTime);
        button_(display, 1, True, CurrentTime);
        button_(display, 1, False, CurrentTime);
        XFlush(display);
    }

private:
    using MotionFunction = int (*)(Display*, int, int, int, unsigned long);
    using ButtonFunction = int (*)(Display*, unsigned int, Bool, unsigned long);
    void* library_ = nullptr;
    MotionFunction motion_ = nullptr;
    ButtonFunction button_ = nullptr;
};

std::map<std::string, long> readProcFields(const std::string& path, const std::vector<std::string>& names)
{
    std::map<std::string, long> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        for (const auto& name : names) {
            if (line.rfind(name + ":", 0) == 0)
                values[name] = std::strtol(line.c_str() + name.size() + 1, nullptr, 10);
        }
    }
    return values;
}

// CPU time of all the process's threads so far (threads that already ended are not counted).
double cpuMilliseconds(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    double total = 0;
    if (DIR* folder = opendir(tasks.c_str())) {
        while (const dirent* entry = readdir(folder)) {
            if (entry->d_name[0] == '.')
                continue;
            std::ifstream in(tasks + "/" + entry->d_name + "/schedstat");
            long long nanoseconds = 0;
            if (in >> nanoseconds)
                total += static_cast<double>(nanoseconds) / 1e6;
        }
        closedir(folder);
    }
    return total;
}

void endProcess(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        usleep(10'000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// What one column of pixels through the middle of a window shows. The server paints a bare
// background when a window is mapped (that is damage too), so a frame counts only once the
// column holds more than one colour. The probe shell's prompt paints its line magenta.
struct Look {
    bool content = false;
    bool marker = false;
};

Look lookAt(Display* display, Drawable drawable)
{
    Look look;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, drawable, &attributes) || attributes.width < 1 || attributes.height < 1)
        return look;
    XImage* image = XGetImage(display, drawable, attributes.width / 2, 0, 1, attributes.height, AllPlanes, ZPixmap);
    if (!image)
        return look;
    auto channel = [](unsigned long pixel, unsigned long mask) {
        if (!mask)
            return 0UL;
        while (!(mask & 1)) {
            mask >>= 1;
            pixel >>= 1;
        }
        return (pixel & mask) * 255 / mask;
    };
    const unsigned long first = XGetPixel(image, 0, 0);
    for (int y = 0; y < attributes.height; ++y) {
        const unsigned long pixel = XGetPixel(image, 0, y);
        look.content = look.content || pixel != first;
        look.marker = look.marker || (channel(pixel, image->red_mask) >= 240 && channel(pixel, image->green_mask) <= 15
                                      && channel(pixel, image->blue_mask) >= 240);
    }
    XDestroyImage(image);
    return look;
}

void traceEvent(const DamageConnection& damage, const XEvent& event, double ms)
{
    if (event.type == CreateNotify) {
        const auto& create = event.xcreatewindow;
        std::fprintf(stderr, "%8.1f create 0x%lx %dx%d+%d+%d%s\n", ms, create.window, create.width, create.height,
                     create.x, create.y, create.override_redirect ? " override-redirect" : "");
    } else if (event.type == MapNotify) {
        std::fprintf(stderr, "%8.1f map 0x%lx\n", ms, event.xmap.window);
    } else if (event.type == damage.eventBase + XDamageNotify) {
        const auto& notify = reinterpret_cast<const XDamageNotifyEvent&>(event);
        const auto look = lookAt(damage.display, notify.drawable);
        std::fprintf(stderr, "%8.1f damage 0x%lx %dx%d+%d+%d%s%s\n", ms, notify.drawable, notify.area.width,
                     notify.area.height, notify.area.x, notify.area.y, look.content ? "" : " (one colour)",
                     look.marker ? " (prompt marker)" : "");
    }
}

struct LaunchOptions {
    std::optional<std::pair<int, int>> click;
    std::string promptFile;
    int settleMs = 2000;
    int timeoutMs = 30000;
    bool trace = false;
    std::string smapsCopy;
    std::vector<char*> command;
};

LaunchOptions parseLaunchOptions(int argc, char* argv[])
{
    LaunchOptions options;
    int i = 2;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                fail("missing value for " + arg);
            return argv[++i];
        };
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "--click") {
            const auto text = value();
            int x = 0;
            int y = 0;
            if (std::sscanf(text.c_str(), "%d,%d", &x, &y) != 2)
                fail("--click takes X,Y");
            options.click = {x, y};
        } else if (arg == "--prompt-file") {
            options.promptFile = value();
        } else if (arg == "--settle-ms") {
            options.settleMs = std::atoi(value().c_str());
        } else if (arg == "--timeout-ms") {
            options.timeoutMs = std::atoi(value().c_str());
        } else if (arg == "--smaps") {
            options.smapsCopy = value();
        } else if (arg == "--trace") {
            options.trace = true;
        } else {
            fail("unknown option " + arg);
        }
    }
    for (; i < argc; ++i)
        options.command.push_back(argv[i]);
    if (options.command.empty())
        fail("no command given after --");
    options.command.push_back(nullptr);
    return options;
}

std::optional<Nanoseconds> readPromptTime(const std::string& path)
{
    std::ifstream in(path);
    std::string text;
    if (!std::getline(in, text) || text.empty())
        return std::nullopt;
    // bash's EPOCHREALTIME: seconds, a decimal point (locale's) and microseconds.
    const auto dot = text.find_first_of(".,");
    if (dot == std::string::npos)
        return std::nullopt;
    const long long seconds = std::atoll(text.substr(0, dot).c_str());
    std::string fraction = text.substr(dot + 1);
    fraction.resize(9, '0');
    return seconds * 1'000'000'000LL + std::atoll(fraction.c_str());
}

int launch(int argc, char* argv[])
{
    auto options = parseLaunchOptions(argc, argv);
    auto damage = openDisplayWithDamage();
    Display* display = damage.display;
    std::optional<PointerClicker> clicker;
    if (options.click)
        clicker.emplace();

    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    int inotifyFd = -1;
    std::string promptName;
    if (!options.promptFile.empty()) {
        unlink(options.promptFile.c_str());
        const auto slash = options.promptFile.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : options.promptFile.substr(0, slash);
        promptName = options.promptFile.substr(slash == std::string::npos ? 0 : slash + 1);
        inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotifyFd < 0 || inotify_add_watch(inotifyFd, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0)
            fail("cannot watch " + folder + ": " + std::strerror(errno));
    }

    const Nanoseconds start = realtimeNow();
    if (options.trace)
        std::fprintf(stderr, "start %lld.%09lld (CLOCK_REALTIME)\n", start / 1'000'000'000LL, start % 1'000'000'000LL);
    const pid_t pid = fork();
    if (pid < 0)
        fail(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        close(ConnectionNumber(display));
        execvp(options.command[0], options.command.data());
        std::fprintf(stderr, "tq_app_launch_probe: cannot run %s: %s\n", options.command[0], std::strerror(errno));
        _exit(127);
    }

    std::optional<Nanoseconds> frame, mapped, clicked, prompt, promptShown, settledSince;
    double frameCpu = 0;
    double promptShownCpu = 0;
    const Nanoseconds deadline = start + static_cast<Nanoseconds>(options.timeoutMs) * 1'000'000LL;
    const bool wantsPrompt = inotifyFd >= 0;

    while (true) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            const Nanoseconds now = realtimeNow();
            if (options.trace)
                traceEvent(damage, event, millisecondsBetween(start, now));
            if (event.type == CreateNotify && event.xcreatewindow.parent == DefaultRootWindow(display)) {
                XDamageCreate(display, event.xcreatewindow.window, XDamageReportNonEmpty);
            } else if (event.type == MapNotify && !mapped) {
                mapped = now;
            } else if (event.type == damage.eventBase + XDamageNotify) {
                const auto& notify = reinterpret_cast<const XDamageNotifyEvent&>(event);
                XDamageSubtract(display, notify.damage, None, None);
                if (frame && (!wantsPrompt || promptShown))
                    continue;
                const auto look = lookAt(display, notify.drawable);
                if (!frame && look.content) {
                    frame = now;
                    frameCpu = cpuMilliseconds(pid);
                    if (options.click) {
                        clicker->click(display, options.click->first, options.click->second);
                        clicked = realtimeNow();
                    }
                }
                if (wantsPrompt && !promptShown && look.marker) {
                    promptShown = now;
                    promptShownCpu = cpuMilliseconds(pid);
                }
            }
        }
        if (wantsPrompt && !prompt) {
            alignas(inotify_event) char buffer[4096];
            for (ssize_t length; (length = read(inotifyFd, buffer, sizeof buffer)) > 0;) {
                for (char* at = buffer; at < buffer + length;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(at);
                    if (event->len && promptName == event->name)
                        prompt = readPromptTime(options.promptFile);
                    at += sizeof(inotify_event) + event->len;
                }
            }
        }
        const Nanoseconds now = realtimeNow();
        if (!settledSince && frame && (!wantsPrompt || (prompt && promptShown)))
            settledSince = now;
        if (settledSince && now - *settledSince >= static_cast<Nanoseconds>(options.settleMs) * 1'000'000LL)
            break;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            fail(std::string(options.command[0]) + " exited early (status " + std::to_string(status) + ")");
        if (now > deadline) {
            endProcess(pid);
            fail(std::string("timed out waiting for ") + (!frame ? "the first frame" : !prompt ? "the first prompt" : "the prompt on screen"));
        }

        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {inotifyFd, POLLIN, 0}};
        poll(fds, inotifyFd >= 0 ? 2 : 1, 20);
    }

    if (!options.smapsCopy.empty()) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
        std::ofstream(options.smapsCopy) << in.rdbuf();
    }
    const auto status = readProcFields("/proc/" + std::to_string(pid) + "/status", {"VmRSS", "RssAnon"});
    const auto rollup = readProcFields("/proc/" + std::to_string(pid) + "/smaps_rollup", {"Pss"});
    endProcess(pid);

    std::printf("pid %d\n", static_cast<int>(pid));
    std::printf("map %.1f\n", millisecondsBetween(start, *mapped));
    std::printf("frame %.1f\n", millisecondsBetween(start, *frame));
    std::printf("frame_cpu %.1f\n", frameCpu);
    if (clicked)
        std::printf("click %.1f\n", millisecondsBetween(start, *clicked));
    if (prompt)
        std::printf("prompt %.1f\n", millisecondsBetween(start, *prompt));
    if (promptShown)
        std::printf("prompt_shown %.1f\nprompt_shown_cpu %.1f\n", millisecondsBetween(start, *promptShown),
                    promptShownCpu);
    auto print = [](const char* key, const std::map<std::string, long>& from, const char* field) {
        if (const auto found = from.find(field); found != from.end())
            std::printf("%s %ld\n", key, found->second);
    };
    print("rss_kb", status, "VmRSS");
    print("anon_kb", status, "RssAnon");
    print("pss_kb", rollup, "Pss");
    return 0;
}

// FNV-1a over the pixels of a rectangle of the window: tells whether that part of the screen
// changed, whatever else was drawn (a blinking cursor, the status bar).
unsigned long long regionChecksum(Display* display, Window window, const XRectangle& region)
{
    XImage* image = XGetImage(display, window, region.x, region.y, region.width, region.height, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    unsigned long long hash = 1469598103934665603ULL;
    for (int y = 0; y < region.height; ++y) {
        for (int x = 0; x < region.width; ++x) {
            hash ^= XGetPixel(image, x, y);
            hash *= 1099511628211ULL;
        }
    }
    XDestroyImage(image);
    return hash;
}

int damageLog(int argc, char* argv[])
{
    Window window = 0;
    std::optional<XRectangle> region;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--window") {
            window = std::strtoul(argv[i + 1], nullptr, 0);
        } else if (arg == "--region") {
            int x = 0, y = 0, width = 0, height = 0;
            if (std::sscanf(argv[i + 1], "%d,%d,%d,%d", &x, &y, &width, &height) != 4 || width < 1 || height < 1)
                fail("--region takes X,Y,WIDTH,HEIGHT");
            region = XRectangle{static_cast<short>(x), static_cast<short>(y), static_cast<unsigned short>(width),
                                static_cast<unsigned short>(height)};
        } else {
            fail("unknown option " + arg);
        }
    }
    if (!window)
        fail("usage: tq_app_launch_probe damage-log --window ID [--region X,Y,WIDTH,HEIGHT]");
    auto damage = openDisplayWithDamage();
    Display* display = damage.display;
    const ::Damage handle = XDamageCreate(display, window, XDamageReportNonEmpty);
    XSync(display, False);
    auto report = [&](Nanoseconds at) {
        std::printf("%lld", at);
        if (region)
            std::printf(" %016llx", regionChecksum(display, window, *region));
        std::printf("\n");
        std::fflush(stdout);
    };
    report(0); // the region as it is now
    while (true) {
        std::optional<Nanoseconds> first;
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != damage.eventBase + XDamageNotify)
                continue;
            if (!first)
                first = realtimeNow();
            XDamageSubtract(display, handle, None, None);
        }
        if (first)
            report(*first);
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        poll(fds, 2, -1);
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            char sink[256];
            if (read(STDIN_FILENO, sink, sizeof sink) <= 0)
                return 0;
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "launch")
        return launch(argc, argv);
    if (mode == "damage-log")
        return damageLog(argc, argv);
    std::fprintf(stderr, "usage: tq_app_launch_probe launch|damage-log ... (see the source's header)\n");
    return 2;
}
