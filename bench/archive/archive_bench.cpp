// Pack and unpack throughput of the setup archive against plain zlib deflate/inflate of the same bytes,
// measured in the same run. Target: at least 0.8 of zlib's throughput. Two references: zlib in memory
// (no file at all), and zlib from file to file with the same reads, writes and fsync an archive
// operation needs, which isolates what the archive itself adds.
#include "setup/kit/DrvnCompress.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t DataSize = 32u << 20;

// Text-like data with some variation, so deflate has real work to do.
const std::string& Data() {
    static const std::string data = [] {
        static const char* words[] = {"prozor ",  "vrata ", "okvir ", "krilo ",     "staklo ",
                                      "profil\n", "PVC ",   "alu ",   "1200x1400 ", "RAL9016 "};
        std::string s;
        s.reserve(DataSize);
        unsigned x = 12345;
        while (s.size() < DataSize) {
            x = x * 1103515245u + 12345u;
            s += words[(x >> 16) % 10];
            if ((x & 0xFF) == 7) s += std::to_string(x);
        }
        s.resize(DataSize);
        return s;
    }();
    return data;
}

struct Workspace {
    Workspace() {
        std::string pattern = (fs::temp_directory_path() / "archive-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        source = (dir / "data.bin").string();
        std::ofstream(source, std::ios::binary) << Data();
        archive = (dir / "files.1").string();
    }
    ~Workspace() { fs::remove_all(dir); }
    fs::path dir;
    std::string source, archive;
};

Workspace& Work() {
    static Workspace w;
    return w;
}

const int Level = setup::ZlibLevel(setup::colDefault);

std::string Deflated() {
    uLongf len = compressBound(DataSize);
    std::string out(len, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &len, reinterpret_cast<const Bytef*>(Data().data()),
              DataSize, Level);
    out.resize(len);
    return out;
}

void ZlibDeflate(benchmark::State& state) {
    std::vector<unsigned char> out(65536);
    for (auto _ : state) {
        z_stream z{};
        deflateInit(&z, Level);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Data().data()));
        z.avail_in = DataSize;
        int ret;
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            ret = deflate(&z, Z_FINISH);
            benchmark::DoNotOptimize(out.data());
        } while (ret != Z_STREAM_END);
        deflateEnd(&z);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * DataSize));
}

// Plain zlib between two files: read in 64 KB blocks, (de|in)flate, write, fsync.
template <bool Pack> void ZlibFileToFile(benchmark::State& state) {
    const std::string packedFile = (Work().dir / "plain.z").string();
    if (!Pack) std::ofstream(packedFile, std::ios::binary) << Deflated();
    const std::string in = Pack ? Work().source : packedFile;
    const std::string out = (Work().dir / (Pack ? "plain.z.new" : "plain.out")).string();
    std::vector<unsigned char> ibuf(65536), obuf(65536);
    for (auto _ : state) {
        FILE* src = std::fopen(in.c_str(), "rb");
        FILE* dst = std::fopen(out.c_str(), "wb");
        z_stream z{};
        if (Pack)
            deflateInit(&z, Level);
        else
            inflateInit(&z);
        int ret = Z_OK;
        while (ret != Z_STREAM_END) {
            const std::size_t n = std::fread(ibuf.data(), 1, ibuf.size(), src);
            z.next_in = ibuf.data();
            z.avail_in = static_cast<uInt>(n);
            do {
                z.next_out = obuf.data();
                z.avail_out = static_cast<uInt>(obuf.size());
                ret = Pack ? deflate(&z, n == 0 ? Z_FINISH : Z_NO_FLUSH) : inflate(&z, Z_NO_FLUSH);
                std::fwrite(obuf.data(), 1, obuf.size() - z.avail_out, dst);
            } while (z.avail_out == 0 && ret != Z_STREAM_END);
            if (n == 0 && !Pack) break;
        }
        if (Pack)
            deflateEnd(&z);
        else
            inflateEnd(&z);
        std::fflush(dst);
        ::fsync(fileno(dst));
        std::fclose(dst);
        std::fclose(src);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * DataSize));
}

void ZlibFileDeflate(benchmark::State& state) {
    ZlibFileToFile<true>(state);
}
void ZlibFileInflate(benchmark::State& state) {
    ZlibFileToFile<false>(state);
}

void ArchivePack(benchmark::State& state) {
    setup::TDrvnCompress zip;
    zip.CompressionLevel = setup::colDefault;
    zip.SetCompressedFile(Work().archive);
    for (auto _ : state) {
        zip.SetFilesToProcess({Work().source});
        zip.Compress(setup::lzcOverwrite);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * DataSize));
}

void ZlibInflate(benchmark::State& state) {
    const std::string packed = Deflated();
    std::vector<unsigned char> out(65536);
    for (auto _ : state) {
        z_stream z{};
        inflateInit(&z);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
        z.avail_in = static_cast<uInt>(packed.size());
        int ret;
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            ret = inflate(&z, Z_NO_FLUSH);
            benchmark::DoNotOptimize(out.data());
        } while (ret == Z_OK);
        inflateEnd(&z);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * DataSize));
}

void ArchiveUnpack(benchmark::State& state) {
    setup::TDrvnCompress zip;
    zip.CompressionLevel = setup::colDefault;
    zip.SetCompressedFile(Work().archive);
    zip.SetFilesToProcess({Work().source});
    zip.Compress(setup::lzcOverwrite);
    zip.ExtractDirectory = (Work().dir / "out").string();
    for (auto _ : state) {
        zip.SetFilesToProcess({Work().source});
        zip.Extract();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * DataSize));
}

// An archive of many small members: listing every record and extracting every member must grow
// linearly with the count. Target: 100,000 members listed and extracted in under 10 s.
const int ManyMembers = std::getenv("MANY_MEMBERS") ? std::atoi(std::getenv("MANY_MEMBERS")) : 100000;

const std::string& ManyArchive() {
    static const std::string archive = [] {
        const fs::path src = Work().dir / "many";
        fs::create_directories(src);
        std::vector<std::string> names;
        for (int i = 0; i < ManyMembers; ++i) {
            names.push_back("many/m" + std::to_string(i));
            std::ofstream(Work().dir / names.back(), std::ios::binary) << i;
        }
        const fs::path old = fs::current_path();
        fs::current_path(Work().dir);
        setup::TDrvnCompress zip;
        zip.CompressionLevel = setup::colFastest;
        zip.SetCompressedFile((Work().dir / "many.1").string());
        zip.SetFilesToProcess(names);
        zip.Compress(setup::lzcOverwrite);
        fs::current_path(old);
        return (Work().dir / "many.1").string();
    }();
    return archive;
}

void ManyMembersListAndExtract(benchmark::State& state) {
    const std::string archive = ManyArchive();
    for (auto _ : state) {
        setup::TDrvnCompress zip;
        zip.SetCompressedFile(archive);
        std::vector<std::string> names;
        for (int i = 0; i < zip.FileCount(); ++i)
            names.push_back(zip.GetFileStats(i).FileName);
        zip.ExtractDirectory = (Work().dir / "many-out").string();
        zip.SetFilesToProcess(names);
        zip.Extract();
        benchmark::DoNotOptimize(names.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * ManyMembers));
}

// The floor the file system sets: the same number of small files written beside their names and renamed
// into place, as extraction does, without any archive.
void ManyFilesCreateAndRename(benchmark::State& state) {
    const fs::path dir = Work().dir / "many-plain";
    fs::create_directories(dir);
    for (auto _ : state) {
        for (int i = 0; i < ManyMembers; ++i) {
            std::string temp = (dir / ".part-XXXXXX").string();
            const int fd = ::mkstemp(temp.data());
            const std::string bytes = std::to_string(i);
            if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) < 0) std::abort();
            ::close(fd);
            ::rename(temp.c_str(), (dir / ("m" + std::to_string(i))).c_str());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * ManyMembers));
}

BENCHMARK(ManyFilesCreateAndRename)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(ManyMembersListAndExtract)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

BENCHMARK(ZlibDeflate)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(ZlibFileDeflate)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(ArchivePack)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(ZlibInflate)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(ZlibFileInflate)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(ArchiveUnpack)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

// Keeps each run's throughput so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const auto it = r.counters.find("bytes_per_second");
            if (it != r.counters.end()) speed[r.run_name.function_name] = it->second;
            seconds[r.run_name.function_name] = r.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> speed;
    std::map<std::string, double> seconds; // in the run's own unit
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* ours, const char* ref) {
        const auto a = reporter.speed.find(ours), b = reporter.speed.find(ref);
        if (a == reporter.speed.end() || b == reporter.speed.end() || b->second <= 0) return;
        std::printf("%s / %s throughput: %.2f (target >= 0.80)\n", ours, ref, a->second / b->second);
    };
    ratio("ArchivePack", "ZlibDeflate");
    ratio("ArchivePack", "ZlibFileDeflate");
    ratio("ArchiveUnpack", "ZlibInflate");
    ratio("ArchiveUnpack", "ZlibFileInflate");
    const auto many = reporter.seconds.find("ManyMembersListAndExtract");
    if (many != reporter.seconds.end())
        std::printf("ManyMembersListAndExtract: %d members in %.1f s (target < 10 s)\n", ManyMembers,
                    many->second);
    const auto plain = reporter.seconds.find("ManyFilesCreateAndRename");
    if (many != reporter.seconds.end() && plain != reporter.seconds.end() && plain->second > 0)
        std::printf("ManyMembersListAndExtract / ManyFilesCreateAndRename time: %.2f\n",
                    many->second / plain->second);
    return 0;
}
