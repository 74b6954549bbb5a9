#include "SampleDrive.h"

#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include "BaseContent.h"
#include "TempDir.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>

namespace e2e {

namespace {

const char kHexMarker[] = "<<E2E-HEX-MARK>>";

std::string HexOf(const std::string &bytes) {
    std::string hex;
    char pair[4];
    for (unsigned char byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X ", byte);
        hex += pair;
    }
    return hex;
}

void MakeParents(const std::string &path) {
    for (size_t slash = path.find('\\', 3); slash != std::string::npos;
         slash = path.find('\\', slash + 1))
        testsupport::MakeDir(path.substr(0, slash));
}

std::string FileName(const std::string &path) { return path.substr(path.rfind('\\') + 1); }

HMODULE Kernel() {
    static HMODULE kernel = LoadLibraryA("Kernel.dll");
    return kernel;
}

template <typename Function> Function KernelExport(const char *name) {
    if (!Kernel())
        return nullptr;
    // Through void*: the export's real type replaces FARPROC's placeholder.
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(Kernel(), name)));
}

} // namespace

SampleDrive::SampleDrive(std::string root) : root_(std::move(root)) {
    std::string marker = kHexMarker;
    files_ = {
        {root_ + "Samples\\spyagent.exe", "E2E agent sample: not a real program.\r\n", true,
         "E2E.Spy.Agent"},
        {root_ + "Samples\\Deep\\dropper.dll", "DRP!dropper sample", true, "E2E.Dropper"},
        {root_ + "Samples\\virtual.txt", "text around " + marker + " more text", true,
         "E2E.Hex.Marker"},
        // 2.5 MB: the megabyte counter rounds it half to even, to 2.
        {root_ + "Samples\\big.exe", std::string(2621440, '\0'), true, ""},
        {root_ + "Samples\\locked.exe", "held open during the scan", true, ""},
        {root_ + "Samples\\clean.exe", "clean sample program", true, ""},
        // Never checked: no dot, a harmless name, or a quarantine or recycle folder.
        {root_ + "Samples\\exe", marker, false, ""},
        {root_ + "Docs\\notes.txt", marker, false, ""},
        {root_ + "Docs\\readme.txt", "DRP!", false, ""},
        {root_ + "OldQuarantine\\worm.exe", "DRP!", false, ""},
        {root_ + "RECYCLER\\spy.exe", marker, false, ""},
    };
}

void SampleDrive::Write() const {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((root_ + "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name != "." && name != "..")
                testsupport::RemoveTree(root_ + name);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    for (const SampleFile &sample : files_) {
        MakeParents(sample.path);
        testsupport::WriteFile(sample.path, sample.content);
    }
}

void SampleDrive::WriteFillers(int count) const {
    testsupport::MakeDir(root_ + "Fillers");
    for (int index = 0; index < count; ++index) {
        std::string name = "filler" + std::to_string(index) + ".exe";
        testsupport::WriteFile(root_ + "Fillers\\" + name, "clean filler " + name);
    }
}

const SampleFile &SampleDrive::file(const std::string &name) const {
    for (const SampleFile &sample : files_)
        if (FileName(sample.path) == name)
            return sample;
    throw std::out_of_range("no sample file " + name);
}

std::vector<std::string> SampleDrive::DetectionLogLines() const {
    std::vector<std::string> lines;
    for (const SampleFile &sample : files_)
        if (!sample.detection.empty())
            lines.push_back("Found infection in [" + sample.path + "] - [" + sample.detection + "]");
    return lines;
}

std::vector<std::string> SampleDrive::DetectedPaths() const {
    std::vector<std::string> paths;
    for (const SampleFile &sample : files_)
        if (!sample.detection.empty())
            paths.push_back(sample.path);
    return paths;
}

int SampleDrive::SelectedCount() const {
    return static_cast<int>(std::count_if(files_.begin(), files_.end(),
                                          [](const SampleFile &sample) { return sample.selected; }));
}

std::string SampleDrive::PlainBase(const std::string &fingerprint) const {
    return testsupport::BaseContent("2",
                                    {{"E2E.Spy.Agent", fingerprint, '0', "0"},
                                     {"E2E.Dropper", "68-82-80-33", '2', "0"}, // "DRP!" at offset 0
                                     {"E2E.Hex.Marker", HexOf(kHexMarker), '1', "0"}},
                                    "Brenvald end-to-end samples", "made at test time");
}

std::string PackBaseThroughKernel(const std::string &plainPath, const std::string &basePath) {
    auto packBase = KernelExport<decltype(&PackBase)>("PackBase");
    if (!packBase)
        return "Kernel.dll has no PackBase export";
    brenvald::StringValue source(plainPath), target(basePath);
    try {
        packBase(source.get(), target.get());
    } catch (const std::exception &error) {
        return std::string("PackBase failed: ") + error.what();
    }
    return std::string();
}

std::string FingerprintThroughKernel(const std::string &path) {
    auto fingerprint = KernelExport<decltype(&GetFileMd5Hash)>("GetFileMd5Hash");
    if (!fingerprint)
        return std::string();
    brenvald::StringValue text(path);
    const char *result = fingerprint(text.get());
    return result ? std::string(result) : std::string();
}

} // namespace e2e
