#include "ScanTestHost.h"

#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <gtest/gtest.h>

#include <windows.h>

namespace scantest {

void WriteBase(const std::string &path, const std::string &plainContent) {
    const std::string plainPath = path + ".plain";
    testsupport::WriteFile(plainPath, plainContent);
    brenvald::StringValue source(plainPath), target(path);
    PackBase(source.get(), target.get());
    DeleteFileA(plainPath.c_str());
}

void WriteBase(const std::string &path, const std::vector<testsupport::BaseRecord> &records) {
    WriteBase(path, testsupport::BaseContent(std::to_string(records.size() - 1), records));
}

std::string Fingerprint(const std::string &path) {
    return scanner::KernelEngine().GetFileMd5Hash(path);
}

TScanFixture::TScanFixture() { testsupport::MakeDir(Dir.file("Bases")); }

std::string TScanFixture::BasePath(const std::string &relative) const {
    return Dir.file("Bases\\" + relative);
}

void TScanFixture::Load() { ASSERT_TRUE(Definitions.LoadBases(Dir.path(), Host, Prompts)); }

std::string TScanFixture::MakeFolder(const std::string &relative) {
    testsupport::MakeDir(Dir.file(relative));
    return Dir.file(relative) + "\\";
}

std::string TScanFixture::MakeFile(const std::string &relative, const std::string &content) {
    testsupport::WriteFile(Dir.file(relative), content);
    return Dir.file(relative);
}

bool SameCounters(const scanner::ScanState &a, const scanner::ScanState &b) {
    return a.ScannedFiles == b.ScannedFiles && a.Skipped == b.Skipped && a.Infected == b.Infected &&
           a.ScannedMB == b.ScannedMB;
}

void ExpectSameView(const TRecordingHost &got, const TRecordingHost &want) {
    ASSERT_EQ(got.Log.size(), want.Log.size());
    for (size_t i = 0; i < want.Log.size(); ++i) {
        EXPECT_EQ(got.Log[i].Text, want.Log[i].Text) << i;
        EXPECT_EQ(got.Log[i].Kind, want.Log[i].Kind) << i;
    }
    EXPECT_EQ(got.Results, want.Results);
    ASSERT_EQ(got.CounterHistory.size(), want.CounterHistory.size());
    for (size_t i = 0; i < want.CounterHistory.size(); ++i)
        EXPECT_TRUE(SameCounters(got.CounterHistory[i], want.CounterHistory[i])) << "counters shown " << i;
}

} // namespace scantest
