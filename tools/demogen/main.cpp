// rustwake-demogen OUTDIR: writes the complete OUTDIR/data/ tree of the demo
// game. Everything is generated here, deterministically: the same program
// writes the same bytes on every run.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "DemoGen.h"
#include "Image.h"
#include "Music.h"
#include "base/Text.h"

namespace demogen {

void TOutput::WriteBytes(const std::string& relPath, std::string_view bytes) const {
    const std::filesystem::path path = Root / relPath;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) throw std::runtime_error("cannot create folder " + path.parent_path().string() + ": " + ec.message());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
    f.write(bytes.data(), std::streamsize(bytes.size()));
    f.close();
    if (!f) throw std::runtime_error("cannot write " + path.string());
}

void TOutput::WriteText(const std::string& relPath, std::string_view utf8) const {
    std::string crlf;
    crlf.reserve(utf8.size() + utf8.size() / 16);
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    WriteBytes(relPath, Utf8ToCp1251(crlf));
}

void TOutput::WriteBmp(const std::string& relPath, const TImage& img) const {
    WriteBytes(relPath, img.EncodeBmp());
}

}  // namespace demogen

namespace {
const char Usage[] =
    "Usage: rustwake-demogen OUTDIR\n"
    "       rustwake-demogen --icons DIR\n"
    "\n"
    "  OUTDIR       write the demo data tree OUTDIR/data/\n"
    "  --icons DIR  write the application icon as DIR/SIZExSIZE/apps/rustwake.png (32, 48, 128, 256)\n"
    "  --help       show this text\n"
    "  --version    print the version\n";
}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && first == "--help") {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc == 2 && first == "--version") {
        std::printf("rustwake-demogen %s\n", RW_VERSION);
        return 0;
    }
    const bool icons = argc == 3 && first == "--icons" && argv[2][0] != '\0';
    if (!icons && (argc != 2 || first.empty() || first[0] == '-')) {
        std::fputs(Usage, stderr);
        return 2;
    }
    try {
        if (icons) {
            demogen::WriteIcons(demogen::TOutput{std::filesystem::path(argv[2])});
            return 0;
        }
        const demogen::TOutput out{std::filesystem::path(argv[1])};
        // Music takes longest (synthesis and the MP3 encoder), so it runs beside the pictures.
        demogen::TMusicJob music(out);
        demogen::WriteGameIni(out);
        demogen::WriteWorld(out);
        demogen::WriteSounds(out);
        demogen::WriteInterface(out);
        demogen::WritePortraits(out);
        demogen::WriteImpacts(out);
        demogen::WriteObjects(out);
        demogen::WriteCritters(out);
        demogen::WriteLocations(out);
        music.Finish();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rustwake-demogen: %s\n", e.what());
        return 1;
    }
    return 0;
}
