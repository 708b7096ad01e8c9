#include <gtest/gtest.h>

#include "document/save_decision.h"

using namespace perchlet;

TEST(SaveDecision, AsksUnlessTheDiskHoldsWhatWasLoadedOrSavedAndMayBeWritten) {
    const std::uint64_t ours = hashOfBytes("ours");
    const std::uint64_t theirs = hashOfBytes("ourz");
    FileStamp known;
    known.known = known.exists = true;
    known.size = 4;
    known.lastWrite = 100;
    known.hash = ours;
    FileStamp sameSizeAndTime = known;
    FileStamp gone;
    struct Case {
        const char* name;
        FileStamp known;
        FileStamp now;
        std::optional<std::uint64_t> hash;
        bool readOnly;
        DiskVersion version;
        bool asksReadOnly;
    };
    const Case cases[] = {
        {"as saved", known, sameSizeAndTime, ours, false, DiskVersion::Ours, false},
        {"same size and time, other bytes", known, sameSizeAndTime, theirs, false, DiskVersion::Changed, false},
        {"locked: cannot be read", known, sameSizeAndTime, std::nullopt, false, DiskVersion::Unreadable, false},
        {"read-only", known, sameSizeAndTime, ours, true, DiskVersion::Ours, true},
        {"read-only and changed", known, sameSizeAndTime, theirs, true, DiskVersion::Changed, true},
        {"gone: written again", known, gone, std::nullopt, true, DiskVersion::Ours, false},
        {"a new name over a read-only file", FileStamp{}, sameSizeAndTime, theirs, true, DiskVersion::Ours, true},
        {"a new name", FileStamp{}, gone, std::nullopt, false, DiskVersion::Ours, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SaveDecision decision = decideBeforeSave(c.known, {c.now, c.hash, c.readOnly});
        EXPECT_EQ(decision.version, c.version);
        EXPECT_EQ(decision.readOnly, c.asksReadOnly);
        EXPECT_EQ(decision.writesWithoutAsking(), c.version == DiskVersion::Ours && !c.asksReadOnly);
    }
}
