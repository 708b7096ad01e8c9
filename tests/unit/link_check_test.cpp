// The link check's decisions: which run of answers puts a link in which class, and the
// tidying rules that act on the results.
#include <gtest/gtest.h>

#include "test_tree.h"
#include "web/link_check.h"
#include "web/link_tidy.h"

namespace perchlet::testing {
namespace {

LinkAnswer status(long code, std::string location = "", std::string retryAfter = "") {
    LinkAnswer answer;
    answer.status = code;
    answer.location = std::move(location);
    answer.retryAfter = std::move(retryAfter);
    return answer;
}

TEST(LinkCheck, EveryRunOfAnswersEndsInItsClass) {
    const LinkAnswer loop = status(302, "/loop");
    struct Case {
        const char* name;
        std::vector<LinkAnswer> answers;
        LinkClass linkClass;
        std::string newAddress;
        std::string note;
        long lastDelay;  // seconds before the last request, when it was asked later
    } cases[] = {
        {"page", {status(200)}, LinkClass::Ok, "", "", 0},
        {"HEAD refused", {status(405), status(200)}, LinkClass::Ok, "", "", 0},
        {"HEAD forbidden", {status(403), status(200)}, LinkClass::Ok, "", "", 0},
        {"forbidden", {status(403), status(403)}, LinkClass::Blocked, "", "", 0},
        {"login", {status(401)}, LinkClass::Blocked, "", "", 0},
        {"missing", {status(404)}, LinkClass::Gone, "", "", 0},
        {"gone", {status(410)}, LinkClass::Gone, "", "", 0},
        {"broken", {status(500)}, LinkClass::ServerError, "", "", 0},
        {"moved twice", {status(301, "/older"), status(308, "http://h/new/place"), status(200)},
         LinkClass::MovedPermanently, "http://h/new/place", "", 0},
        {"temporary", {status(302, "landing"), status(200)}, LinkClass::MovedTemporarily, "", "", 0},
        {"to ftp", {status(301, "ftp://h/x")}, LinkClass::Inconclusive, "ftp://h/x", "redirected to ftp://h/x", 0},
        {"loop", std::vector<LinkAnswer>(11, loop), LinkClass::Inconclusive, "", "too many redirects", 0},
        {"busy", {status(429, "", "30"), status(200)}, LinkClass::Ok, "", "", 10},
        {"unavailable", {status(503), status(503)}, LinkClass::Inconclusive, "", "", 1},
        {"slow", {failedAnswer(TransportFailure::TimeOut), failedAnswer(TransportFailure::TimeOut)},
         LinkClass::TimeOut, "", "no answer in time", 0},
        {"slow once", {failedAnswer(TransportFailure::TimeOut), status(200)}, LinkClass::Ok, "", "", 0},
        {"nowhere", {failedAnswer(TransportFailure::NameNotFound)}, LinkClass::NameNotFound, "",
         "the name does not resolve", 0},
        {"handshake", {failedAnswer(TransportFailure::Tls)}, LinkClass::TlsFailure, "",
         "the secure connection failed", 0},
        {"reset", {failedAnswer(TransportFailure::Connection)}, LinkClass::ConnectionFailure, "",
         "the connection failed", 0},
    };
    for (const Case& c : cases) {
        LinkProbe probe;
        probe.address = probe.current = "http://h/start";
        LinkStepResult step;
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            step = takeLinkAnswer(probe, c.answers[i]);
            if (i + 1 == c.answers.size()) continue;
            ASSERT_NE(step.step, LinkStep::Done) << c.name << " ended after answer " << i;
            if (i + 2 == c.answers.size()) {
                EXPECT_EQ(step.delaySeconds, c.lastDelay) << c.name;
            }
        }
        EXPECT_EQ(step.step, LinkStep::Done) << c.name;
        EXPECT_EQ(probe.linkClass, c.linkClass) << c.name;
        EXPECT_EQ(probe.newAddress, c.newAddress) << c.name;
        EXPECT_EQ(probe.note, c.note) << c.name;
    }
}

TEST(LinkCheck, AddressesHostsAndLocations) {
    EXPECT_EQ(hostOfAddress("HTTP://User:pw@Example.COM:8080/a?b#c"), "example.com");
    EXPECT_EQ(hostOfAddress("http://[::1]:80/"), "[::1]");
    EXPECT_EQ(hostOfAddress("mailto:a@b"), "");
    const std::string base = "http://h:81/dir/page?q=1#top";
    EXPECT_EQ(resolveLocation(base, "https://x/y"), "https://x/y");
    EXPECT_EQ(resolveLocation(base, "//x/y"), "http://x/y");
    EXPECT_EQ(resolveLocation(base, "/y"), "http://h:81/y");
    EXPECT_EQ(resolveLocation(base, "y"), "http://h:81/dir/y");
    EXPECT_EQ(resolveLocation(base, "?r=2"), "http://h:81/dir/page?r=2");
    EXPECT_EQ(resolveLocation("http://h", "y"), "http://h/y");
    EXPECT_EQ(requestAddressOf("http://h/a b\x93\xFA"), "http://h/a%20b%E6%97%A5");
}

TEST(LinkTidy, RowsAndActionsKeepWhatCannotBeDoneWhole) {
    TestTree t;
    NoShellIcons icons;
    NodeId folder = addItemUnder(t.doc, icons, t.root, "links");
    NodeId moved = addItemUnder(t.doc, icons, folder, "moved", "http://h/old", "memo");
    NodeId full = addItemUnder(t.doc, icons, folder, "full", "http://h/full", std::string(1020, 'c'));
    NodeId copy = addItemUnder(t.doc, icons, folder, "copy", "http://h/old/");
    NodeId empty = addItemUnder(t.doc, icons, folder, "empty");

    std::vector<TidyRow> structure = structureRowsOf(t.doc, folder);
    ASSERT_EQ(structure.size(), 2u);
    EXPECT_EQ(structure[0].kind, TidyKind::EmptyFolder);
    EXPECT_EQ(structure[0].node, empty);
    EXPECT_EQ(structure[1].kind, TidyKind::Duplicate);
    EXPECT_EQ(structure[1].node, copy);

    LinkCheckPlan plan = planLinkCheck(t.doc, folder);
    ASSERT_EQ(plan.probes.size(), 3u);
    plan.probes[0].done = true;
    plan.probes[0].linkClass = LinkClass::MovedPermanently;
    plan.probes[0].newAddress = u8"http://h/新/é";
    std::vector<TidyRow> links = linkRowsOf(t.doc, plan);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].newAddress, "http://h/%E6%96%B0/%C3%A9") << "kept whole, whatever the code page holds";
    nodeRecord(t.doc, moved)->locator = "http://h/elsewhere";
    EXPECT_TRUE(linkRowsOf(t.doc, plan).empty()) << "a link changed while the check ran gets no row";
    nodeRecord(t.doc, moved)->locator = "http://h/old";

    TidyRow row;
    row.kind = TidyKind::Moved;
    row.node = moved;
    row.locator = "http://h/old";
    row.newAddress = "http://h/new";
    TidyRow tooLong = row;
    tooLong.node = full;
    tooLong.locator = "http://h/full";
    EXPECT_EQ(updateMovedRows(t.doc, {row, tooLong}), 1u);
    EXPECT_EQ(t.record(moved).locator, "http://h/new");
    EXPECT_EQ(t.record(moved).comment, "memo\nhttp://h/old");
    EXPECT_EQ(t.record(full).locator, "http://h/full") << "its old address would not fit the comment";
    EXPECT_EQ(updateMovedRows(t.doc, {row}), 0u) << "a row whose link changed since is passed over";

    // A folder and a link inside it: the folder takes the link along, once.
    EXPECT_EQ(deleteRows(t.doc, {structure[1], TidyRow{TidyKind::EmptyFolder, folder, "", "", LinkClass::Ok, true}}),
              1u);
    EXPECT_FALSE(t.doc.tree.isAlive(folder));
}

}  // namespace
}  // namespace perchlet::testing
