// Throughput of ReadNextRawLine against a plain read() + memchr loop over
// the same file of 120-byte lines.
//
// Environment:
//   TSM_BENCH_FILE   path of the data file (default $TMPDIR or /tmp,
//                    "tsm_linereader_bench.txt"); reused when its size fits
//   TSM_BENCH_BYTES  file size in bytes (default 1 GiB), e.g. 67108864 for
//                    a quick run
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "handler/LineReader.h"
#include "host/ZYFile.h"

namespace {

constexpr size_t kLineLength = 120;  // with the line feed

std::string g_path;
long long g_bytes = 0;
// Best throughput seen, in MB/s of wall-clock and of thread CPU time (the
// latter is steadier on a busy machine).
struct Best {
  double wall = 0;
  double cpu = 0;
};
Best g_reader;
Best g_memchr;

double ThreadCpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::string DataPath() {
  if (const char* path = std::getenv("TSM_BENCH_FILE")) return path;
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/tsm_linereader_bench.txt";
}

long long DataSize() {
  const char* text = std::getenv("TSM_BENCH_BYTES");
  long long size = text != nullptr ? std::atoll(text) : (1LL << 30);
  size -= size % kLineLength;
  return size > 0 ? size : static_cast<long long>(kLineLength);
}

// Writes the file unless one of the right size is there already.
bool PrepareFile(const std::string& path, long long size) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && st.st_size == size) return true;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::vector<char> block(kLineLength * 8192);
  for (size_t i = 0; i < block.size(); ++i) {
    size_t column = i % kLineLength;
    block[i] =
        column == kLineLength - 1 ? '\n' : static_cast<char>(column % 3 == 0 ? ',' : 'A' + (i / 7) % 26);
  }
  bool ok = true;
  for (long long written = 0; ok && written < size;) {
    size_t n = static_cast<size_t>(std::min<long long>(size - written, static_cast<long long>(block.size())));
    ok = std::fwrite(block.data(), 1, n, out) == n;
    written += static_cast<long long>(n);
  }
  return std::fclose(out) == 0 && ok;
}

long long CountWithReader() {
  ZYFile file;
  if (file.open(g_path, 0, 0, 0) != 0) return -1;
  std::string line;
  long long lines = 0;
  while (ReadNextRawLine(file, line)) {
    benchmark::DoNotOptimize(line.data());
    ++lines;
  }
  return lines;
}

long long CountWithMemchr() {
  int fd = ::open(g_path.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  std::vector<char> buffer(256 * 1024);
  long long lines = 0;
  ssize_t n;
  while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
    const char* p = buffer.data();
    const char* end = p + n;
    while (const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) {
      ++lines;
      p = lf + 1;
    }
  }
  ::close(fd);
  return lines;
}

void Measure(benchmark::State& state, long long (*count)(), Best* best) {
  const long long expected = g_bytes / static_cast<long long>(kLineLength);
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    double cpuStart = ThreadCpuSeconds();
    long long lines = count();
    double cpu = ThreadCpuSeconds() - cpuStart;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (lines != expected) {
      state.SkipWithError("wrong line count");
      return;
    }
    double mb = static_cast<double>(g_bytes) / 1e6;
    if (mb / wall > best->wall) best->wall = mb / wall;
    if (cpu > 0 && mb / cpu > best->cpu) best->cpu = mb / cpu;
  }
  state.SetBytesProcessed(state.iterations() * g_bytes);
}

void BM_ReadNextRawLine(benchmark::State& state) { Measure(state, CountWithReader, &g_reader); }
void BM_ReadMemchr(benchmark::State& state) { Measure(state, CountWithMemchr, &g_memchr); }

BENCHMARK(BM_ReadMemchr)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadNextRawLine)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  g_path = DataPath();
  g_bytes = DataSize();
  if (!PrepareFile(g_path, g_bytes)) {
    std::fprintf(stderr, "cannot write %s\n", g_path.c_str());
    return 1;
  }
  std::printf("data file %s, %lld bytes\n", g_path.c_str(), g_bytes);
  CountWithMemchr();  // page cache warm-up, so both loops read from memory

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  if (g_memchr.wall > 0 && g_reader.wall > 0 && g_memchr.cpu > 0 && g_reader.cpu > 0) {
    std::printf("best wall clock: ReadNextRawLine %.0f MB/s, read()+memchr %.0f MB/s, ratio %.2f\n",
                g_reader.wall, g_memchr.wall, g_reader.wall / g_memchr.wall);
    std::printf("best CPU time:   ReadNextRawLine %.0f MB/s, read()+memchr %.0f MB/s, ratio %.2f\n",
                g_reader.cpu, g_memchr.cpu, g_reader.cpu / g_memchr.cpu);
    std::printf("target: ratio >= 0.50\n");
  }
  return 0;
}
