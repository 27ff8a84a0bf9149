#include "gfx/EntryBinder.h"

#include "runtime/Encoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvo::gfx {
namespace {

TEST(EntryName, DoubledAtCutsTheName)
{
    EXPECT_EQ(parseEntryName("Func@@8"), (EntryName {"Func", std::nullopt}));
}

TEST(EntryName, SingleAtIsPartOfTheName)
{
    EXPECT_EQ(parseEntryName("Func@8"), (EntryName {"Func@8", std::nullopt}));
}

TEST(EntryName, HashIntroducesAnOrdinal)
{
    EXPECT_EQ(parseEntryName("#12"), (EntryName {"#12", 12ul}));
    EXPECT_FALSE(parseEntryName("#").ordinal);
    EXPECT_FALSE(parseEntryName("#1x").ordinal);
}

struct RecordingBinder {
    std::vector<BindFailure> failures;
    EntryBinder binder {[this](const BindFailure& failure) { failures.push_back(failure); }};
};

TEST(EntryBinder, BindsAnEntryOfALibraryLoadedAtRunTime)
{
    RecordingBinder recording;
    LateBound<double(double)> cosine(recording.binder, "libm.so.6", "cos");
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_TRUE(cosine.isBound());
    EXPECT_TRUE(recording.failures.empty());
    EXPECT_EQ(recording.binder.loadedLibraryCount(), 1u);
}

TEST(EntryBinder, LoadsEachLibraryOnce)
{
    RecordingBinder recording;
    EXPECT_NE(recording.binder.bind("libm.so.6", "sin"), nullptr);
    EXPECT_NE(recording.binder.bind("libm.so.6", "cos"), nullptr);
    EXPECT_EQ(recording.binder.loadedLibraryCount(), 1u);
}

TEST(EntryBinder, BindsTheNameCutAtADoubledAt)
{
    RecordingBinder recording;
    EXPECT_EQ(recording.binder.bind("libm.so.6", "cos@@8"), recording.binder.bind("libm.so.6", "cos"));
    EXPECT_TRUE(recording.failures.empty());
}

TEST(EntryBinder, MissingLibraryReportsTheFrameworkMessage)
{
    RecordingBinder recording;
    EXPECT_EQ(recording.binder.bind("libquorvo-no-such-library.so", "Anything"), nullptr);
    ASSERT_EQ(recording.failures.size(), 1u);
    EXPECT_EQ(recording.failures[0].caption, "DLL ERROR");
    EXPECT_EQ(recording.failures[0].message,
              encoding::fromUtf8("同目录下无法找到DLL文件:\"libquorvo-no-such-library.so\".请与作者联系."));
}

TEST(EntryBinder, MissingEntryReportsModuleAndEntry)
{
    RecordingBinder recording;
    EXPECT_EQ(recording.binder.bind("libm.so.6", "QuorvoNoSuchEntry"), nullptr);
    ASSERT_EQ(recording.failures.size(), 1u);
    EXPECT_EQ(recording.failures[0].caption, "DLL ERROR");
    EXPECT_EQ(recording.failures[0].message,
              encoding::fromUtf8("无法定位DLL文件:\"libm.so.6\"当中的\"QuorvoNoSuchEntry\"函数."));
}

TEST(EntryBinder, OrdinalsNeverResolveOnThisPlatform)
{
    RecordingBinder recording;
    EXPECT_EQ(recording.binder.bind("libm.so.6", "#12"), nullptr);
    ASSERT_EQ(recording.failures.size(), 1u);
    EXPECT_EQ(recording.failures[0].message, missingEntryMessage("libm.so.6", "#12"));
}

TEST(EntryBinder, UnboundSlotReturnsAValueInitialisedResultAndRetriesLater)
{
    RecordingBinder recording;
    LateBound<int(int)> missing(recording.binder, "libm.so.6", "QuorvoMissing");
    EXPECT_EQ(missing(5), 0);
    EXPECT_EQ(missing(5), 0);
    EXPECT_FALSE(missing.isBound());
    EXPECT_EQ(recording.failures.size(), 2u) << "every failed call is reported";
}

TEST(EntryBinderDeathTest, DefaultReporterEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            EntryBinder binder;
            binder.bind("libquorvo-no-such-library.so", "Anything");
        },
        ::testing::ExitedWithCode(1), "DLL ERROR");
}

}  // namespace
}  // namespace quorvo::gfx
