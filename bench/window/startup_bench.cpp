// Start-up time and memory of tavorin against a bare Qt window, in one run.
//
// Each launch spawns the program and watches the X server: "mapped" is the moment its
// top-level window is mapped, "painted" the moment a background pixel near its bottom-right
// corner first shows the colour it keeps, i.e. the first frame is on the screen. After the
// program has settled the launch reads its anonymous memory, ends it and takes its peak
// resident size (which also counts the pages of shared libraries and fonts it mapped).
// The two programs take turns, LAUNCHES times each (default 30), and the medians are
// compared. Needs an X server at 96 dpi:
//   xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" window_startup_bench [LAUNCHES]
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A connection to the X server that hears every top-level window being mapped.
class Display {
  public:
    Display() : m_connection(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(m_connection)) return;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
        m_ok = true;
    }
    ~Display() { xcb_disconnect(m_connection); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool ok() const { return m_ok; }

    // Forgets the events of earlier launches.
    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) std::free(event);
    }

    // The next top-level window (not override-redirect) to be mapped, or nothing by the
    // deadline.
    std::optional<xcb_window_t> waitForMap(Clock::time_point deadline) {
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                const bool mapped =
                    (event->response_type & 0x7f) == XCB_MAP_NOTIFY && !map->override_redirect;
                const xcb_window_t window = map->window;
                std::free(event);
                if (mapped) return window;
            }
            pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&fd, 1, 1);
        }
        return std::nullopt;
    }

    // A point near the bottom-right corner of `window`, where both programs show their
    // background.
    std::optional<std::pair<int16_t, int16_t>> corner(xcb_window_t window) {
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (geometry == nullptr) return std::nullopt;
        const std::pair<int16_t, int16_t> point(static_cast<int16_t>(geometry->width - 3),
                                                static_cast<int16_t>(geometry->height - 3));
        std::free(geometry);
        return point;
    }

    // The pixel of `window` at `point`, or nothing once the window is gone.
    std::optional<uint32_t> pixel(xcb_window_t window, std::pair<int16_t, int16_t> point) {
        xcb_get_image_reply_t* image =
            xcb_get_image_reply(m_connection,
                                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window,
                                              point.first, point.second, 1, 1, ~0u),
                                nullptr);
        if (image == nullptr) return std::nullopt;
        uint32_t value = 0;
        const int length = xcb_get_image_data_length(image);
        std::copy_n(xcb_get_image_data(image), std::min(length, 4),
                    reinterpret_cast<uint8_t*>(&value));
        std::free(image);
        return value;
    }

  private:
    xcb_connection_t* m_connection;
    bool m_ok = false;
};

Display& display() {
    static Display instance;
    return instance;
}

struct Launch {
    bool shown = false;
    double mapped = 0;   // seconds from spawn to window mapped
    double painted = 0;  // seconds from spawn to first frame on the screen
    double peakMiB = 0;  // peak resident size
    double anonMiB = 0;  // anonymous memory once settled: heap, stacks, private data
};

// The anonymous memory of a running process, in MiB: what it allocated itself, without
// the pages of files it mapped.
double anonymousMiB(pid_t pid) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    double kib = 0;
    while (std::getline(rollup, line)) {
        if (line.rfind("Anonymous:", 0) == 0) {
            std::istringstream fields(line.substr(line.find(':') + 1));
            double value = 0;
            fields >> value;
            kib += value;
        }
    }
    return kib / 1024.0;
}

Launch launch(const char* program) {
    Display& x = display();
    x.drain();
    Launch result;
    char* argv[] = {const_cast<char*>(program), nullptr};
    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return result;
    const auto seconds = [start](Clock::time_point t) {
        return std::chrono::duration<double>(t - start).count();
    };
    if (const std::optional<xcb_window_t> window = x.waitForMap(start + 10s)) {
        result.shown = true;
        result.mapped = seconds(Clock::now());
        // Sample the corner until the program has settled; it is painted from the first
        // sample that already shows the final colour.
        std::vector<std::pair<Clock::time_point, uint32_t>> samples;
        const Clock::time_point settled = Clock::now() + 300ms;
        const auto point = x.corner(*window);
        while (point && Clock::now() < settled) {
            if (const std::optional<uint32_t> value = x.pixel(*window, *point)) {
                samples.emplace_back(Clock::now(), *value);
            }
            poll(nullptr, 0, 2);
        }
        Clock::time_point painted = settled;
        for (auto it = samples.rbegin();
             it != samples.rend() && it->second == samples.back().second; ++it) {
            painted = it->first;
        }
        result.painted = seconds(painted);
        result.anonMiB = anonymousMiB(pid);
    }
    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double median(const std::vector<Launch>& runs, double Launch::*field) {
    std::vector<double> values;
    for (const Launch& run : runs) values.push_back(run.*field);
    return median(values);
}

void printComparison(const std::vector<Launch>& tavorin, const std::vector<Launch>& other,
                     const char* otherName, bool withGoals) {
    const struct {
        const char* what;
        double Launch::*field;
        double scale;
        const char* goal;
    } rows[] = {
        {"start-up to mapped (ms)", &Launch::mapped, 1000, "<= 1.50"},
        {"start-up to painted (ms)", &Launch::painted, 1000, ""},
        {"peak resident (MiB)", &Launch::peakMiB, 1, "<= 1.40"},
        {"anonymous, settled (MiB)", &Launch::anonMiB, 1, ""},
    };
    std::printf("median of %zu launches each  tavorin  %11s   ratio  %s\n", tavorin.size(),
                otherName, withGoals ? "goal" : "");
    for (const auto& row : rows) {
        const double t = median(tavorin, row.field) * row.scale;
        const double b = median(other, row.field) * row.scale;
        std::printf("%-27s %8.1f  %11.1f  %6.2f  %s\n", row.what, t, b, t / b,
                    withGoals ? row.goal : "");
    }
}

}  // namespace

// window_startup_bench [LAUNCHES [EARLIER_TAVORIN]]: with an earlier build of tavorin, it
// is launched in turn with the other two and compared with this build.
int main(int argc, char** argv) {
    const int launches = argc > 1 ? std::atoi(argv[1]) : 30;
    if (launches < 1 || argc > 3) {
        std::fprintf(stderr, "usage: %s [LAUNCHES [EARLIER_TAVORIN]]\n", argv[0]);
        return 2;
    }
    if (!display().ok()) {
        std::fprintf(stderr, "no X display: run under xvfb-run\n");
        return 1;
    }
    // The programs draw on the X server this benchmark watches.
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    std::vector<const char*> programs = {TAVORIN_PROGRAM, BARE_WINDOW_PROGRAM};
    if (argc > 2) programs.push_back(argv[2]);
    // Warm the file cache and fontconfig's cache, then take the programs in turns, each
    // round starting with the next one, so that all see the same machine.
    for (const char* program : programs) launch(program);
    std::vector<std::vector<Launch>> runs(programs.size());
    for (int i = 0; i < launches; ++i) {
        for (std::size_t j = 0; j < programs.size(); ++j) {
            const std::size_t which = (i + j) % programs.size();
            const Launch run = launch(programs[which]);
            if (!run.shown) {
                std::fprintf(stderr, "%s: no window within 10 s\n", programs[which]);
                return 1;
            }
            runs[which].push_back(run);
        }
    }
    printComparison(runs[0], runs[1], "bare window", true);
    if (programs.size() > 2) {
        std::printf("\n");
        printComparison(runs[0], runs[2], "earlier", false);
    }
    return 0;
}
