// Opening a package of 20, 1,000 and kLargest described documents through
// the main window's open action (the library module through COM, the
// inventory read, the kinds and offices selected, one row per document),
// beside the library alone opening the same file; then the window's delete
// of one document and its forming of an opened package, at 1,000, 10,000
// and the most documents each can hold, with the ratio of 10,000 to 1,000
// documents printed last, which stays near 10 for an action linear in the
// package. The packages are an entrepreneur's registration written by
// tests/editor/ui/many_documents.py: only the inventory has content, so
// what is timed is the work per described document, where the window's
// part shows most. Nothing is signed for opening and deleting; for forming,
// every document carries a copy of one signature, as an entrepreneur's
// forming requires, which halves the documents a package can hold. The
// window runs offscreen with its dialogs answered in code; the window is
// made afresh, and the package opened, untimed, for each action. Run by
// hand on a quiet machine, from a Release build:
//   build-release/bench/window_opening_bench
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "bench/bench_folder.h"
#include "bench/bench_window.h"
#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"
// CTarvexDoc's inline constructor needs the description's full type.
#include "editor/model/ip_packet.h"
#include "lib/package/xml_gpr_package.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/message_box.h"
#include "platform/shell/browse_folder.h"
#include "platform/shell/open_file_dialog.h"

namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::Since;

// The largest package opened: as many documents as one unsigned package
// may describe, one archive entry each beside the description's own.
constexpr int kLargest = 65534;
// The largest package formed: the new inventory and its signature join
// every document and its signature in one archive before the old
// inventory goes.
constexpr int kLargestSigned = 32766;

// The folder of the run, the packages made in it, the signer, and the
// environment the library and the window take their folders from.
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
    SetFolderPicker(
        [this](const BrowseInfo&) { return std::optional<std::string>(dir_ + "/formed"); });
    fs::create_directory(dir_ + "/formed");
  }
  ~OpeningBench() {
    SetFolderPicker(nullptr);
    SetOpenFilePicker(nullptr);
    SetMessageBoxHandler(nullptr);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  OpeningBench(const OpeningBench&) = delete;
  OpeningBench& operator=(const OpeningBench&) = delete;

  // The package of that many documents, signed or not, made on first use.
  const std::string& Package(int documents, bool is_signed) {
    std::string& path = packages_[{documents, is_signed}];
    if (!path.empty()) return path;
    path = dir_ + "/" + std::to_string(documents) + (is_signed ? "s" : "") + ".zip";
    const std::string command = "python3 '" TARVEX_SOURCE_DIR
                                "/tests/editor/ui/many_documents.py' " +
                                std::to_string(documents) + " '" + path + "'" +
                                (is_signed ? " '" + SignedSource() + "'" : "");
    if (std::system(command.c_str()) != 0) std::exit(1);
    return path;
  }

  void OpenInLibrary(benchmark::State& state) {
    const std::string& path = Package(static_cast<int>(state.range(0)), false);
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

  // Opening itself, or the action `act` after an untimed opening.
  void InWindow(benchmark::State& state, const char* name, bool is_signed,
                const std::function<bool(TfmQuendaMain&)>& act) {
    const int documents = static_cast<int>(state.range(0));
    pick_ = Package(documents, is_signed);
    for (auto _ : state) {
      TfmQuendaMain window;
      if (!bench::StartWindow(window, dir_)) {
        state.SkipWithError("the window did not start");
        break;
      }
      QApplication::setActiveWindow(&window);
      last_box_.clear();
      auto* open = window.findChild<QAction*>("ActionOpenPacket");
      Clock::time_point start = Clock::now();
      open->trigger();
      if (window.State != kStateOpenedIP || !last_box_.empty()) {
        std::fprintf(stderr, "%s\n", AnsiToUtf8(last_box_).c_str());
        state.SkipWithError("the window did not open the package");
        break;
      }
      if (act) start = Clock::now();
      if (act && !act(window)) {
        std::fprintf(stderr, "%s\n", AnsiToUtf8(last_box_).c_str());
        state.SkipWithError("the window's action failed");
        break;
      }
      const double seconds = Since(start);
      state.SetIterationTime(seconds);
      double& best = best_[{name, documents}];
      if (best == 0 || seconds < best) best = seconds;
    }
  }

  // Selects the second row, as a click does, and deletes its document,
  // the question answered Yes.
  static bool Delete(TfmQuendaMain& window) {
    auto* list = window.findChild<QTreeWidget*>("lvDocs");
    const int rows = list->topLevelItemCount();
    list->setFocus();
    list->setCurrentItem(list->topLevelItem(1));
    window.findChild<QAction*>("ActionDeleteDoc")->trigger();
    return list->topLevelItemCount() == rows - 1;
  }

  // Forms the opened package again, into a folder of the run's.
  bool Form(TfmQuendaMain& window) {
    window.findChild<QAction*>("ActionSavePacket")->trigger();
    return last_box_.rfind("Имя файла пакета: [", 0) == 0;
  }

  // Each action's time at 10,000 documents over its time at 1,000.
  void PrintRatios() const {
    for (const char* name : {"delete/window", "form/window"}) {
      const auto small = best_.find({name, 1000});
      const auto large = best_.find({name, 10000});
      if (small == best_.end() || large == best_.end()) continue;
      std::printf("%s: 10,000 / 1,000 documents = %.1f\n", name, large->second / small->second);
    }
  }

 private:
  // A one-document package of the entrepreneur's, formed by the model and
  // signed by the test signer, whose signature many_documents.py copies;
  // the signer's thumbprint goes into the ini file, so that the window
  // signs its new inventory with it.
  const std::string& SignedSource() {
    if (!signed_source_.empty()) return signed_source_;
    const std::string sha1 = bench::ImportWindowSigner();
    bench::WriteFile(dir_ + "/TarvexEdit.ini", "[QUENDA_SETUP]\r\nSenderSHA1=" + sha1 + "\r\n");
    bench::WriteFile(dir_ + "/application.pdf", "%PDF-1.4 application");
    TNewIPPacket packet;
    packet.LibraryFolder = TARVEX_MODULE_DIR;
    packet.OutputFolder = dir_;
    packet.SenderId = "500100732259";
    packet.ReceiverId = "7746";
    packet.DocTypeCode = "01";
    packet.КодСФРД = "21001";
    packet.ProgramVersion = "Tarvex 1.0";
    packet.SignCertSha1 = sha1;
    packet.Applicant = {"500100732259", "", "ivanov@example.ru", "Иванов", "Иван", "Иванович"};
    signed_source_ = dir_ + "/signed.zip";
    std::string message;
    if (!packet.NewPacket(message) ||
        packet.AddDocumentSafe(dir_ + "/application.pdf", "01", "21001", "Заявление", true, 0,
                               message) < 0 ||
        !packet.ValidateAndSave(message, signed_source_)) {
      std::fprintf(stderr, "%s\n", AnsiToUtf8(message).c_str());
      std::exit(1);
    }
    return signed_source_;
  }

  std::string dir_;
  std::map<std::pair<int, bool>, std::string> packages_;
  std::string signed_source_;
  std::string pick_;
  std::string last_box_;
  std::map<std::pair<std::string, int>, double> best_;
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
  // Each action is timed by hand: making the window, opening the package
  // for another action, and freeing it are not part of it.
  // An action after an opening runs five times, however short it is, as
  // each run opens the package afresh.
  auto add = [](const char* name, int documents, std::function<void(benchmark::State&)> run) {
    benchmark::internal::Benchmark* added = benchmark::RegisterBenchmark(name, std::move(run))
                                                ->Arg(documents)
                                                ->UseManualTime()
                                                ->Unit(benchmark::kMillisecond);
    if (std::string(name).rfind("open/", 0) != 0) added->Iterations(5);
  };
  for (const int documents : {20, 1000, kLargest}) {
    add("open/library", documents,
        [&bench](benchmark::State& state) { bench.OpenInLibrary(state); });
    add("open/window", documents,
        [&bench](benchmark::State& state) { bench.InWindow(state, "open/window", false, {}); });
  }
  for (const int documents : {1000, 10000, kLargest}) {
    add("delete/window", documents, [&bench](benchmark::State& state) {
      bench.InWindow(state, "delete/window", false, OpeningBench::Delete);
    });
  }
  for (const int documents : {1000, 10000, kLargestSigned}) {
    add("form/window", documents, [&bench](benchmark::State& state) {
      bench.InWindow(state, "form/window", true,
                     [&bench](TfmQuendaMain& window) { return bench.Form(window); });
    });
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  bench.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
