// One 20 ms tick: a snapshot, one pass over the real default list.txt on
// disk and ~100 colour sets that almost never change a colour.
#include <benchmark/benchmark.h>

#include "fakes/fake_platform.h"
#include "keymonitor/form_layout.h"
#include "keymonitor/frm_osd.h"
#include "keymonitor/key_list.h"

namespace {

using namespace lumio;

void BM_RefreshDefaultList(benchmark::State& state) {
  fakes::FakePlatform fake;
  frmOSD form(fake.platform());
  fake.window.createWindow(frmOSDLayout(), form);
  form.Form_Load();  // opens the device
  WriteDefaultKeyList(fake.environment.listFiles(), fake.listPath());
  fake.keyboard.press(30);
  form.Timer1_Timer();  // warm: colours settle, buffers grow once
  const int setsBefore = fake.window.colourSets;
  for (auto _ : state) form.Timer1_Timer();
  state.counters["colour_sets_per_refresh"] =
      static_cast<double>(fake.window.colourSets - setsBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RefreshDefaultList)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same pass without the window: just the file and the conversions.
void BM_ReadDefaultList(benchmark::State& state) {
  fakes::TempFolder folder;
  const auto file = folder.path() / "list.txt";
  fakes::StandardListFiles files;
  WriteDefaultKeyList(files, file);
  struct Count final : KeyListAction {
    std::int64_t sum = 0;
    void operator()(std::string_view, std::int32_t code) override { sum += code; }
  } count;
  for (auto _ : state) {
    ReadKeyList(files, file, ".", count);
    benchmark::DoNotOptimize(count.sum);
  }
}
BENCHMARK(BM_ReadDefaultList)->Unit(benchmark::kMicrosecond);

void BM_ParseOneLine(benchmark::State& state) {
  KeyCodeParser parser(".");
  for (auto _ : state) {
    parser.reset();
    for (char c : std::string_view(" 221.5 ")) parser.feed(c);
    benchmark::DoNotOptimize(parser.finish());
  }
}
BENCHMARK(BM_ParseOneLine);

}  // namespace

BENCHMARK_MAIN();
