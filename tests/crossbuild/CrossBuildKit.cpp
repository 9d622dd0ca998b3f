#include "CrossBuildKit.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sys/wait.h>

namespace crossbuild {

std::string windowsBuildFile(const std::string& name)
{
    const std::string path = std::string(RVB_WINDOWS_BUILD_DIR) + "/" + name;
    if (!std::filesystem::exists(path))
        ADD_FAILURE() << path << " is missing: the Windows build is made by ./build.sh windows";
    return path;
}

std::string zPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

int run(const std::string& command, std::string& output)
{
    output.clear();
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
    if (!pipe)
        return -1;
    std::array<char, 4096> buffer {};
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
        output.append(buffer.data(), n);
    const int status = pclose(pipe.release());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runUnderWine(const std::string& program, const std::string& arguments, std::string& output)
{
    return run(std::string(RVB_SOURCE_DIR) + "/tools/wine-run.sh '" + windowsBuildFile(program) + "' " + arguments,
               output);
}

std::vector<float> readAudio(const std::string& path, int& channels)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<float> samples(static_cast<std::size_t>(info.frames) * info.channels);
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    channels = info.channels;
    return samples;
}

Picture readPng(const std::string& path)
{
    Picture picture;
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(surface);
        picture.width = cairo_image_surface_get_width(surface);
        picture.height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        for (int y = 0; y < picture.height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
            for (int x = 0; x < picture.width; ++x)
                picture.rgb.push_back(row[x] & 0xFFFFFFu);
        }
    }
    cairo_surface_destroy(surface);
    return picture;
}

} // namespace crossbuild
