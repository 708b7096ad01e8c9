#include "web/update_decision.h"

#include <gtest/gtest.h>

namespace perchlet {
namespace {

UpdateAnswer answered(int status, std::optional<std::int64_t> lastModified, std::string headers = "") {
    UpdateAnswer answer;
    answer.outcome = UpdateAnswer::Outcome::Answered;
    answer.statusCode = status;
    answer.lastModified = lastModified;
    answer.statusHeaders = std::move(headers);
    return answer;
}

struct DecisionCase {
    const char* name;
    UpdateAnswer answer;
    const char* lastVisit;
    UpdateMark mark;
    unsigned kind;
    int image;
    std::string lastModified;
};

TEST(UpdateDecision, MarksOfEveryAnswer) {
    UpdateAnswer unreachable;
    UpdateAnswer queryFailed;
    queryFailed.outcome = UpdateAnswer::Outcome::QueryFailed;
    const DecisionCase cases[] = {
        {"newer than the visit", answered(200, 1700000100), "1700000000", UpdateMark::Modified, 2, 4, "1700000100"},
        {"same as the visit", answered(200, 1700000000), "1700000000", UpdateMark::NotModified, 0, 0, "1700000000"},
        {"older than the visit", answered(200, 1600000000), "1700000000", UpdateMark::NotModified, 0, 0, "1600000000"},
        // 1999: nine digits, older though "9" sorts after "1" as text.
        {"nine digits against ten", answered(200, 944000000), "1700000000", UpdateMark::NotModified, 0, 0, "944000000"},
        {"ten digits against nine", answered(200, 1700000000), "944000000", UpdateMark::Modified, 2, 4, "1700000000"},
        {"never visited", answered(200, 944000000), "", UpdateMark::Modified, 2, 4, "944000000"},
        {"unreadable visit", answered(200, 944000000), "x", UpdateMark::Modified, 2, 4, "944000000"},
        {"no Last-Modified", answered(200, std::nullopt, "HTTP/1.1 200 OK\r\n"), "1", UpdateMark::Unchanged, 0, 0, ""},
        {"404 by reason", answered(0, std::nullopt, "HTTP/1.1 404 Not Found\r\n"), "1", UpdateMark::NotFound, 3, 6, "00"},
        {"404 without reason", answered(404, std::nullopt, "HTTP/1.1 404\r\n"), "1", UpdateMark::NotFound, 3, 6, "00"},
        {"404 with a date", answered(404, 1700000000, "HTTP/1.1 404\r\n"), "1", UpdateMark::NotFound, 3, 6, "00"},
        {"410 gone", answered(410, std::nullopt, "HTTP/1.1 410 Gone\r\n"), "1", UpdateMark::NotFound, 3, 6, "00"},
        {"500", answered(500, std::nullopt, "HTTP/1.1 500 Internal Server Error\r\n"), "1", UpdateMark::Unchanged, 0, 0, ""},
        {"Not Found beyond 63 characters", answered(200, std::nullopt, "HTTP/1.1 200 OK\r\nX-Padding: " + std::string(40, 'x') + " Not Found\r\n"), "1", UpdateMark::Unchanged, 0, 0, ""},
        {"unreachable", unreachable, "1", UpdateMark::Unreachable, 3, 6, "000"},
        {"query failed", queryFailed, "1", UpdateMark::Unchanged, 0, 0, ""},
    };
    for (const DecisionCase& c : cases) {
        UpdateDecision decision = decideUpdate(c.answer, c.lastVisit);
        EXPECT_EQ(decision.mark, c.mark) << c.name;
        if (c.mark == UpdateMark::Unchanged) continue;
        EXPECT_EQ(decision.kind, c.kind) << c.name;
        EXPECT_EQ(decision.image, c.image) << c.name;
        EXPECT_EQ(decision.selectedImage, c.image + 1) << c.name;
        EXPECT_EQ(decision.lastModified, c.lastModified) << c.name;
    }
}

TEST(UpdateDecision, CheckedKinds) {
    const bool checked[] = {true, false, true, true, true, false, false, false};
    for (unsigned kind = 0; kind < 8; ++kind) EXPECT_EQ(isCheckedKind(kind), checked[kind]) << kind;
}

TEST(UpdateDecision, CalendarTimeToSeconds) {
    EXPECT_EQ(secondsSince1970(1970, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(secondsSince1970(1999, 12, 31, 23, 59, 59), 946684799);
    EXPECT_EQ(secondsSince1970(2000, 2, 29, 12, 0, 0), 951825600);
    EXPECT_EQ(secondsSince1970(2001, 9, 9, 1, 46, 40), 1000000000);
    EXPECT_EQ(secondsSince1970(2038, 1, 19, 3, 14, 8), 2147483648LL);
}

TEST(UpdateDecision, HttpDatesInEveryFormAndNothingForTheRest) {
    const std::int64_t k1994 = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
    const struct {
        const char* text;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", k1994},
        {"Sunday, 06-Nov-94 08:49:37 GMT", k1994},
        {"Sun Nov  6 08:49:37 1994", k1994},
        {"sun, 06 NOV 1994 08:49:37 gmt", k1994},
        {"  Sun, 6 Nov 1994 08:49:37 GMT  ", k1994},
        {"Thu, 01 Jan 1970 00:00:00 GMT", 0},
        {"Tue, 29 Feb 2000 12:00:00 GMT", 951825600},
        {"Saturday, 01-Jan-22 00:00:00 GMT", 1640995200},
        {"Wed Dec 31 23:59:59 1969", -1},
        {"garbage", std::nullopt},
        {"", std::nullopt},
        {"Sun, 06 Nov 1994", std::nullopt},
        {"Sun, 06 Nov 1994 08:49:37", std::nullopt},
        {"Sun, 06 Nov 1994 08:49:37 GMT trailing", std::nullopt},
        {"Sun, 06 Foo 1994 08:49:37 GMT", std::nullopt},
        {"Sun, 31 Nov 1994 08:49:37 GMT", std::nullopt},
        {"Mon, 29 Feb 1900 08:49:37 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 24:00:00 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 08:61:37 GMT", std::nullopt},
        {"Sun, 06 Nov 99999 08:49:37 GMT", std::nullopt},
        {"Sun, 00 Nov 1994 08:49:37 GMT", std::nullopt},
        {"1994-11-06T08:49:37Z", std::nullopt},
        {"Sun, 06 Nov 1994 08:49:37 GMT\r\nX: y", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(httpDateSeconds(c.text), c.seconds) << c.text;
}

TEST(UpdateDecision, StatusCodeOfTheFirstLine) {
    EXPECT_EQ(statusCodeOf("HTTP/1.1 404 Not Found\r\nServer: x\r\n"), 404);
    EXPECT_EQ(statusCodeOf("HTTP/1.0 410\r\n"), 410);
    EXPECT_EQ(statusCodeOf("HTTP/2 200\r\n"), 200);
    EXPECT_EQ(statusCodeOf("garbage\r\nServer: 404 x"), 0);
    EXPECT_EQ(statusCodeOf(""), 0);
}

}  // namespace
}  // namespace perchlet

#include "test_tree.h"
#include "web/update_check.h"

namespace perchlet {
namespace {

TEST(UpdateCheck, VisitsTheSubtreeInPreOrderAndAsksOnlyAboutWebLinks) {
    testing::TestTree t;
    NodeId folder = t.add(t.root, kKindFolder, "folder");
    t.add(folder, kKindWebLink, "a", "http://a/");
    NodeId inner = t.add(folder, kKindFolder, "inner");
    t.add(inner, kKindChangedLink, "b", "http://b/");
    t.add(folder, kKindMailLink, "mail", "mailto:x@y");
    t.add(folder, kKindFailedLink, "c", "http://c/");
    t.add(t.root, kKindWebLink, "outside", "http://d/");

    std::vector<UpdateCheckItem> items = updateCheckItems(t.doc, folder);
    std::vector<std::string> titles;
    std::vector<bool> asked;
    for (const UpdateCheckItem& item : items) {
        titles.push_back(item.title);
        asked.push_back(item.asked);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"folder", "a", "inner", "b", "mail", "c"}));
    EXPECT_EQ(asked, (std::vector<bool>{false, true, false, true, false, true}));
    EXPECT_EQ(updateCheckItems(t.doc, t.child(folder, 0)).size(), 1u);
    EXPECT_TRUE(updateCheckItems(t.doc, kNoNode).empty());
}

TEST(UpdateCheck, DecisionChangesRecordNumberAndImagesTogether) {
    testing::TestTree t;
    NodeId link = t.add(t.root, kKindWebLink, "a", "http://a/");
    ItemNumber before = t.doc.tree.node(link).itemNumber;

    EXPECT_TRUE(applyUpdateDecision(t.doc, link, decideUpdate(answered(200, 1700000000), "")));
    ItemNumber after = t.doc.tree.node(link).itemNumber;
    EXPECT_EQ(kindOf(after), kKindChangedLink);
    EXPECT_EQ(depthOf(after), depthOf(before));
    EXPECT_EQ(serialOf(after), serialOf(before));
    EXPECT_EQ(t.doc.tree.node(link).image, 4);
    ASSERT_NE(t.doc.items.find(after), nullptr);
    EXPECT_EQ(t.doc.items.find(after)->lastModified, "1700000000");
    EXPECT_EQ(t.doc.items.find(before), nullptr);

    UpdateAnswer unreachable;
    EXPECT_TRUE(applyUpdateDecision(t.doc, link, decideUpdate(unreachable, "")));
    EXPECT_EQ(t.record(link).lastModified, "000");
    EXPECT_EQ(t.doc.tree.node(link).selectedImage, 7);

    EXPECT_FALSE(applyUpdateDecision(t.doc, link, decideUpdate(answered(200, std::nullopt), "")));
    EXPECT_EQ(kindOf(t.doc.tree.node(link).itemNumber), kKindFailedLink);
}

}  // namespace
}  // namespace perchlet
