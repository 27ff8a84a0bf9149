// make-assets: draws every picture and synthesises both sounds of the
// program, writing them into a directory (the repository's assets/), and
// optionally a contact sheet for review.
//
//   make-assets OUTDIR              write every asset into OUTDIR
//   make-assets --sheet OUT.png     write only the contact sheet
//   make-assets OUTDIR --sheet OUT.png

#include "Catalogue.h"
#include "ContactSheet.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

int usage()
{
    std::fputs("usage: make-assets [OUTDIR] [--sheet OUT.png]\n", stderr);
    return 2;
}

bool writeFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string outDir;
    std::string sheet;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--sheet" && i + 1 < argc)
            sheet = argv[++i];
        else if (!argument.starts_with("-") && outDir.empty())
            outDir = argument;
        else
            return usage();
    }
    if (outDir.empty() && sheet.empty())
        return usage();

    const auto assets = quorvo::art::generateAll();
    if (!outDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(outDir, error);
        for (const auto& asset : assets) {
            if (!writeFile(std::filesystem::path(outDir) / asset.name, asset.bytes)) {
                std::fprintf(stderr, "make-assets: cannot write %s\n", asset.name.c_str());
                return 1;
            }
        }
    }
    if (!sheet.empty()) {
        const bool written = quorvo::art::writeContactSheet(assets, sheet);
        // The sheet's labels loaded fonts; drop the libraries' caches so
        // that leak checkers see a clean exit.
        cairo_debug_reset_static_data();
        FcFini();
        if (!written) {
            std::fprintf(stderr, "make-assets: cannot write %s\n", sheet.c_str());
            return 1;
        }
    }
    return 0;
}
