// Opening a package of 20, 1,000 and kLargest described documents through
// the main window's open action (the library module through COM, the
// inventory read, the kinds and offices selected, one row per document),
// beside the library alone opening the same file. The packages are an
// entrepreneur's registration written by tests/editor/ui/many_documents.py:
// only the inventory has content and nothing is signed, so what is timed is
// the work per described document, where the window's part shows most. The
// window runs offscreen with its dialogs answered in code; the window is
// made afresh, untimed, for each opening. Run by hand on a quiet machine,
// from a Release build:
//   build-release/bench/window_opening_bench
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "bench/bench_folder.h"
#include "bench/bench_window.h"
#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"
// CTarvexDoc's inline constructor needs the description's full type.
#include "lib/package/xml_gpr_package.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/message_box.h"
#include "platform/shell/open_file_dialog.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The largest package opened: as many documents as one unsigned package
// may describe, one archive entry each beside the description's own.
constexpr int kLargest = 65534;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The folder of the run, the packages made in it, and the environment the
// library and the window take their folders from.
class OpeningBench {
 public:
  OpeningBench() {
    dir_ = bench::MakeBenchFolder("tarvex-opening");
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    ::setenv("TARVEX_COM_REGISTRY_ROOT", dir_.c_str(), 1);
    SetMessageBoxHandler([this](const std::string& text, const std::string&, uint32_t type) {
      last_box_ = text;
      return DefaultButtonOf(type);
    });
    SetOpenFilePicker([this](const OpenFileName&) { return std::optional<std::string>(pick_); });
  }
  ~OpeningBench() {
    SetOpenFilePicker(nullptr);
    SetMessageBoxHandler(nullptr);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  OpeningBench(const OpeningBench&) = delete;
  OpeningBench& operator=(const OpeningBench&) = delete;

  // The package of that many documents, made on first use.
  const std::string& Package(int documents) {
    std::string& path = packages_[documents];
    if (!path.empty()) return path;
    path = dir_ + "/" + std::to_string(documents) + ".zip";
    const std::string command = "python3 '" TARVEX_SOURCE_DIR
                                "/tests/editor/ui/many_documents.py' " +
                                std::to_string(documents) + " '" + path + "'";
    if (std::system(command.c_str()) != 0) std::exit(1);
    return path;
  }

  void OpenInLibrary(benchmark::State& state) {
    const std::string& path = Package(static_cast<int>(state.range(0)));
    for (auto _ : state) {
      CTarvexDoc package;
      const Clock::time_point start = Clock::now();
      if (!package.Open(path)) {
        state.SkipWithError("the library did not open the package");
        break;
      }
      state.SetIterationTime(Since(start));
    }
  }

  void OpenInWindow(benchmark::State& state) {
    pick_ = Package(static_cast<int>(state.range(0)));
    for (auto _ : state) {
      TfmQuendaMain window;
      if (!bench::StartWindow(window, dir_)) {
        state.SkipWithError("the window did not start");
        break;
      }
      QApplication::setActiveWindow(&window);
      last_box_.clear();
      auto* open = window.findChild<QAction*>("ActionOpenPacket");
      const Clock::time_point start = Clock::now();
      open->trigger();
      const double seconds = Since(start);
      if (window.State != kStateOpenedIP || !last_box_.empty()) {
        std::fprintf(stderr, "%s\n", AnsiToUtf8(last_box_).c_str());
        state.SkipWithError("the window did not open the package");
        break;
      }
      state.SetIterationTime(seconds);
    }
  }

 private:
  std::string dir_;
  std::map<int, std::string> packages_;
  std::string pick_;
  std::string last_box_;
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The offscreen platform warns of every window it cannot size by hints.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  int qt_argc = 1;
  QApplication application(qt_argc, argv);
  SetApplicationTitle(kProgramTitle);
  OpeningBench bench;
  // Each opening is timed by hand: making the window and freeing the
  // package are not part of it.
  for (const int documents : {20, 1000, kLargest}) {
    benchmark::RegisterBenchmark("open/library",
                                 [&bench](benchmark::State& state) { bench.OpenInLibrary(state); })
        ->Arg(documents)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("open/window",
                                 [&bench](benchmark::State& state) { bench.OpenInWindow(state); })
        ->Arg(documents)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
