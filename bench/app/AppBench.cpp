// The window as a user runs it, against the reference service on loopback:
//  - exec to the first frame on the screen (ten starts under a private Xvfb,
//    read from its frame buffer), and to the last frame of the opening effect
//    (the window's centre changes no more);
//  - the same with a saved download list of 10,000 rows, which must neither
//    delay the first frame nor stop the effect half way;
//  - resident memory and CPU of the idle window over ten seconds, also with
//    those 10,000 rows;
//  - CPU of the user-interface thread while sixty songs download unlimited;
//  - the longest the user-interface thread leaves input waiting during a
//    60-song search and during a download (in process, on the dummy driver:
//    a probe posts every 2 ms and records how late each one is handled).
// Needs Xvfb and xdotool for the first three.

#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/Startup.h"
#include "app/WindowSkin.h"
#include "download/QueueStore.h"

#include "ReferenceServer.h"
#include "TempDir.h"
#include "platform/Files.h"
#include "platform/window/EventLoop.h"
#include "platform/window/SyntheticInput.h"
#include "ui/controls/UiCaptionButtons.h"
#include "ui/controls/UiEdit.h"
#include "ui/controls/UiList.h"
#include "ui/core/UiPanel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quorvo::app {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

double milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const fs::path& directory = {})
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const std::string& entry : environment)
            ::putenv(const_cast<char*>(entry.c_str()));
        if (!directory.empty() && ::chdir(directory.c_str()) != 0)
            ::_exit(126);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDERR_FILENO);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

// utime + stime of a process or of one of its threads, in seconds.
double cpuSeconds(const std::string& statPath)
{
    std::ifstream file(statPath);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14 || index == 15)
            ticks += std::stod(field);
        if (index == 15)
            break;
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double residentMegabytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// A private X server whose screen is a file (-fbdir), the reference service
// and a copy of quorvo in a directory of its own.
class Desktop {
public:
    Desktop()
    {
        if (run("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0)
            return;
        m_display = std::string(":").append(std::to_string(500 + ::getpid() % 400));
        fs::create_directories(m_dir.path() / "fb");
        m_xvfb = spawn({"Xvfb", m_display, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-br", "-fbdir",
                        (m_dir.path() / "fb").string()},
                       {});
        if (run("for i in $(seq 100); do DISPLAY=" + m_display
                + " xdotool getmouselocation >/dev/null 2>&1 && exit 0; sleep 0.1; done; exit 1")
            != 0)
            return;
        const int fd = ::open((m_dir.path() / "fb" / "Xvfb_screen0").c_str(), O_RDONLY);
        struct stat info { };
        if (fd < 0 || ::fstat(fd, &info) != 0)
            return;
        m_screenSize = static_cast<std::size_t>(info.st_size);
        void* mapped = ::mmap(nullptr, m_screenSize, PROT_READ, MAP_SHARED, fd, 0);
        ::close(fd);
        if (mapped == MAP_FAILED)
            return;
        m_screen = static_cast<const unsigned char*>(mapped);
        const auto field = [&](std::size_t index) {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < 4; ++i)
                value = value << 8 | m_screen[index * 4 + i];
            return value;
        };
        m_pixels = field(0) + std::size_t {field(19)} * 12;
        m_bytesPerLine = field(12);
        fs::copy_file(QUORVO_EXECUTABLE, m_dir.path() / "quorvo");
        m_ready = true;
    }
    ~Desktop()
    {
        stopProgram();
        if (m_screen)
            ::munmap(const_cast<unsigned char*>(m_screen), m_screenSize);
        stop(m_xvfb);
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    [[nodiscard]] bool ready() const { return m_ready; }
    [[nodiscard]] test::ReferenceServer& server() { return m_server; }

    // The pixel at screen (x, y) as 0xRRGGBB.
    [[nodiscard]] std::uint32_t pixel(int x, int y) const
    {
        const unsigned char* p = m_screen + m_pixels + m_bytesPerLine * static_cast<std::size_t>(y) + x * 4;
        return std::uint32_t {p[2]} << 16 | std::uint32_t {p[1]} << 8 | p[0];
    }

    // `savedList`: a download list (queue.db) the program finds beside it;
    // otherwise it starts with none.
    pid_t startProgram(const std::string& speed = "0", const fs::path& savedList = {})
    {
        std::ofstream(m_dir.path() / "config.ini")
            << "[Main]\npath=" << (m_dir.path() / "Download").string() << "/\nsType=0\nlrc=1\nwav=0\nbypass=0\n"
            << "delete=0\nspeed=" << speed << "\n";
        fs::remove_all(m_dir.path() / "Download");
        fs::create_directories(m_dir.path() / "Download");
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(m_dir.path() / (std::string("queue.db") + suffix));
        if (!savedList.empty())
            fs::copy_file(savedList, m_dir.path() / "queue.db");
        m_program = spawn({(m_dir.path() / "quorvo").string()},
                          {"DISPLAY=" + m_display, "QUORVO_API_HOST=" + m_server.host(), "SDL_VIDEODRIVER=x11",
                           "SDL_AUDIODRIVER=dummy"},
                          m_dir.path());
        return m_program;
    }
    void stopProgram()
    {
        stop(m_program);
        m_program = -1;
    }
    void xdotool(const std::string& arguments) { run("DISPLAY=" + m_display + " xdotool " + arguments); }
    void clickWindow(int x, int y)
    {
        xdotool("search --name Quorvo mousemove --window %1 " + std::to_string(x) + " " + std::to_string(y)
                + " click 1");
    }

private:
    test::TempDir m_dir;
    test::ReferenceServer m_server {{"--quiet"}};
    std::string m_display;
    pid_t m_xvfb = -1;
    pid_t m_program = -1;
    const unsigned char* m_screen = nullptr;
    std::size_t m_screenSize = 0;
    std::size_t m_pixels = 0;
    std::size_t m_bytesPerLine = 0;
    bool m_ready = false;
};

Desktop& desktop()
{
    static Desktop instance;
    return instance;
}

// The window sits centred on the 1024 × 768 screen (no window manager): the
// zoom-in effect draws its centre first.
constexpr int centreX = 512;
constexpr int centreY = 384;

// A download list of 10,000 rows as a window leaves it: finished, failed,
// stopped and waiting songs.
const fs::path& tenThousandRows()
{
    static const test::TempDir directory;
    static const fs::path path = [] {
        const fs::path file = directory.path() / "queue.db";
        download::QueueStore::Opened opened = download::QueueStore::open(file.string());
        for (uint64_t id = 1; id <= 10000; ++id) {
            download::DownloadTask task;
            task.id = id;
            task.name = Text("Artist " + std::to_string(id % 97) + " - Song title number " + std::to_string(id));
            task.quality = "flac";
            task.size = "31.25M";
            task.songId = std::to_string(1000000 + id);
            const Text base = Text(directory.path().string()) + "/" + task.name;
            task.paths = {base + ".flac", base + ".lrc", base + ".flac.tmp"};
            static const download::TaskState states[] = {download::Completed {}, download::Waiting {},
                                                         download::Failed {{download::FailureKind::HttpStatus, 404}},
                                                         download::Stopped {{download::FailureKind::ServerStopped, 0}}};
            task.state = states[id % 4];
            opened.store->rowAdded(task);
        }
        return file;
    }();
    return path;
}

void execToFirstFrame(benchmark::State& state, const fs::path& savedList)
{
    Desktop& screen = desktop();
    if (!screen.ready()) {
        state.SkipWithError("Xvfb and xdotool are needed");
        return;
    }
    std::vector<double> first;
    std::vector<double> opened;
    for (auto _ : state) {
        for (int start = 0; start < 10; ++start) {
            const Clock::time_point exec = Clock::now();
            screen.startProgram("0", savedList);
            while (screen.pixel(centreX, centreY) == 0 && Clock::now() - exec < 10s)
                std::this_thread::sleep_for(200us);
            const Clock::time_point shown = Clock::now();
            first.push_back(milliseconds(shown - exec));
            // The effect's frames follow every 10 ms or so; a second is far beyond its end.
            Clock::time_point last = shown;
            for (std::uint32_t seen = screen.pixel(centreX, centreY); Clock::now() - shown < 1s;) {
                if (const std::uint32_t now = screen.pixel(centreX, centreY); now != seen) {
                    seen = now;
                    last = Clock::now();
                }
                std::this_thread::sleep_for(200us);
            }
            opened.push_back(milliseconds(last - exec));
            screen.stopProgram();
            std::this_thread::sleep_for(300ms);
        }
    }
    std::sort(first.begin(), first.end());
    state.counters["first_frame_min_ms"] = first.front();
    state.counters["first_frame_median_ms"] = first[first.size() / 2];
    state.counters["first_frame_max_ms"] = first.back();
    std::sort(opened.begin(), opened.end());
    state.counters["effect_end_median_ms"] = opened[opened.size() / 2];
}

void BM_ExecToFirstFrame(benchmark::State& state)
{
    execToFirstFrame(state, {});
}
BENCHMARK(BM_ExecToFirstFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ExecToFirstFrameWithTenThousandSavedRows(benchmark::State& state)
{
    execToFirstFrame(state, tenThousandRows());
}
BENCHMARK(BM_ExecToFirstFrameWithTenThousandSavedRows)->Iterations(1)->Unit(benchmark::kMillisecond);

// CPU time (ns precision, unlike the 10-ms ticks of /proc/PID/stat) and the
// number of times it was scheduled, summed over the threads of a process.
struct Scheduled {
    double seconds = 0;
    double wakeUps = 0;
};
Scheduled scheduled(pid_t pid)
{
    Scheduled total;
    std::error_code error;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream file(task.path() / "schedstat");
        double nanoseconds = 0;
        double waited = 0;
        double slices = 0;
        if (file >> nanoseconds >> waited >> slices) {
            total.seconds += nanoseconds / 1e9;
            total.wakeUps += slices;
        }
    }
    return total;
}

void idleWindow(benchmark::State& state, const fs::path& savedList)
{
    Desktop& screen = desktop();
    if (!screen.ready()) {
        state.SkipWithError("Xvfb and xdotool are needed");
        return;
    }
    for (auto _ : state) {
        const pid_t pid = screen.startProgram("0", savedList);
        // Idle: untouched for longer than the caret blinks after the last input.
        std::this_thread::sleep_for(ui::EditOptions {}.caretBlinkTimeout + 2s);
        const Scheduled before = scheduled(pid);
        const Clock::time_point from = Clock::now();
        std::this_thread::sleep_for(10s);
        const Scheduled after = scheduled(pid);
        const double wall = milliseconds(Clock::now() - from) / 1000;
        state.counters["rss_MB"] = residentMegabytes(pid);
        state.counters["idle_cpu_percent"] = 100.0 * (after.seconds - before.seconds) / wall;
        state.counters["idle_wake_ups_per_s"] = (after.wakeUps - before.wakeUps) / wall;
        screen.stopProgram();
    }
}

void BM_IdleWindow(benchmark::State& state)
{
    idleWindow(state, {});
}
BENCHMARK(BM_IdleWindow)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_IdleWindowWithTenThousandSavedRows(benchmark::State& state)
{
    idleWindow(state, tenThousandRows());
}
BENCHMARK(BM_IdleWindowWithTenThousandSavedRows)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_UiThreadDuringDownload(benchmark::State& state)
{
    Desktop& screen = desktop();
    if (!screen.ready()) {
        state.SkipWithError("Xvfb and xdotool are needed");
        return;
    }
    for (auto _ : state) {
        const pid_t pid = screen.startProgram();
        std::this_thread::sleep_for(1500ms);
        screen.xdotool("type a");
        screen.xdotool("key Return");
        std::this_thread::sleep_for(1500ms);
        screen.clickWindow(35, 622);   // 全选
        screen.clickWindow(100, 620);  // add
        screen.clickWindow(205, 63);   // the download page, so that the list draws
        const std::string uiThread = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/stat";
        const std::string process = "/proc/" + std::to_string(pid) + "/stat";
        const double uiBefore = cpuSeconds(uiThread);
        const double allBefore = cpuSeconds(process);
        const Clock::time_point from = Clock::now();
        std::this_thread::sleep_for(10s);
        const double wall = milliseconds(Clock::now() - from) / 1000;
        state.counters["ui_thread_cpu_percent"] = 100.0 * (cpuSeconds(uiThread) - uiBefore) / wall;
        state.counters["process_cpu_percent"] = 100.0 * (cpuSeconds(process) - allBefore) / wall;
        std::size_t songs = 0;
        for (const auto& entry : screen.server().requestLog())
            songs += entry.path().starts_with("/data2/music/") ? 1 : 0;
        state.counters["song_requests"] = static_cast<double>(songs);
        screen.stopProgram();
        screen.server().clearRequestLog();
    }
}
BENCHMARK(BM_UiThreadDuringDownload)->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- in process ----

// Posts to the user-interface thread every 2 ms and keeps the longest wait.
class InputProbe {
public:
    explicit InputProbe(ui::UiFramework& framework)
        : m_framework(framework)
    {
        m_thread = std::thread([this] {
            while (!m_stop) {
                const Clock::time_point posted = Clock::now();
                m_framework.dispatcher().post([this, posted] {
                    const double late = milliseconds(Clock::now() - posted);
                    m_longest = std::max(m_longest.load(), late);
                });
                std::this_thread::sleep_for(2ms);
            }
        });
    }
    ~InputProbe()
    {
        m_stop = true;
        m_thread.join();
    }
    InputProbe(const InputProbe&) = delete;
    InputProbe& operator=(const InputProbe&) = delete;
    [[nodiscard]] double longest() const { return m_longest; }
    void reset() { m_longest = 0; }

private:
    ui::UiFramework& m_framework;
    std::atomic<bool> m_stop {false};
    std::atomic<double> m_longest {0};
    std::thread m_thread;
};

void BM_LongestInputWait(benchmark::State& state)
{
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    test::TempDir dir;
    test::ReferenceServer server({"--quiet"});
    const Text runDir = platform::fromNativePath(dir.path().string());
    prepareConfiguration(runDir);
    platform::ConfigStore(runDir + "/config.ini").write("bypass", "0");
    std::string error;
    std::unique_ptr<ui::UiFramework> framework = ui::UiFramework::create(&error);
    if (!framework) {
        state.SkipWithError(error.c_str());
        return;
    }
    framework->setSkin(windowSkin());
    ui::installCaptionButtons(*framework);
    AppLayout layout;
    layout.runDirectory = runDir;
    layout.defaultSaveDirectory = runDir + "/Download/";
    auto services = std::make_unique<AppServices>(platform::ConfigStore(runDir + "/config.ini"),
                                                  service::ServiceEndpoints(Text(server.host())));
    WindowPrompts prompts;
    auto window = std::make_unique<MainWindow>(*framework, *services, layout, prompts);
    window->show();
    const auto pump = [&](const std::function<bool()>& done, Clock::duration limit) {
        const Clock::time_point end = Clock::now() + limit;
        while (!done() && Clock::now() < end) {
            framework->processPending();
            std::this_thread::sleep_for(1ms);
        }
    };
    pump([] { return false; }, 500ms);
    ui::UiEdit* box = nullptr;
    // The search page: its edit box and its list.
    ui::UiList* results = nullptr;
    for (const auto& control : window->page(1).children()) {
        box = box ? box : dynamic_cast<ui::UiEdit*>(control.get());
        results = results ? results : dynamic_cast<ui::UiList*>(control.get());
    }
    platform::EventLoop& loop = framework->loop();
    const platform::WindowId id = window->host().window();
    const auto click = [&](int x, int y) {
        platform::synthetic::mouseMove(loop, id, x, y);
        platform::synthetic::mouseButton(loop, id, platform::synthetic::MouseButton::Left, true, x, y);
        platform::synthetic::mouseButton(loop, id, platform::synthetic::MouseButton::Left, false, x, y);
    };
    for (auto _ : state) {
        InputProbe probe(*framework);
        // A 60-song search: Enter in the box, until the box is enabled again.
        click(200, 102);
        platform::synthetic::text(loop, id, "a");
        platform::synthetic::key(loop, id, platform::Key::Return, true);
        platform::synthetic::key(loop, id, platform::Key::Return, false);
        pump([&] { return !box->isEnabled(); }, 5s);
        pump([&] { return box->isEnabled(); }, 30s);
        state.counters["search_rows"] = results->model().rowCount();
        state.counters["search_longest_wait_ms"] = probe.longest();

        // All sixty ticked, added and downloading, unlimited, for five seconds.
        click(32, 622);  // 全选
        click(100, 620);
        pump([] { return false; }, 300ms);
        probe.reset();
        pump([] { return false; }, 5s);
        state.counters["download_longest_wait_ms"] = probe.longest();
        state.counters["downloaded_files"] = static_cast<double>(
            std::distance(fs::directory_iterator(dir.path() / "Download"), fs::directory_iterator()));
    }
    window.reset();
    framework.reset();
    services.reset();
}
BENCHMARK(BM_LongestInputWait)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvo::app

BENCHMARK_MAIN();
