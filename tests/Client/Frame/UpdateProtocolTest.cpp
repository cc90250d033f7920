// The update check's request and the reading of the server's answer.
#include <gtest/gtest.h>

#include <string>

#include "Frame/UpdateProtocol.h"

TEST(UpdateProtocol, AnswersGiveTheirKindAndTheCleanedAddress)
{
    // An address of exactly n characters: "http://h/" and filler.
    auto address = [](int length) { return "http://h/" + std::string(length - 9, 'a'); };
    struct Case {
        std::string answer;
        UpdateAnswer kind;
        std::string address;   // after the call; "-" when it must be left as it was
    };
    const Case cases[] = {
        {"y http://h/a.exe<br>;tail", UpdateAnswerOffer, "http://h/a.exe"},
        {"y <BR>  http://h/b.exe \r\n", UpdateAnswerOffer, "http://h/b.exe"},
        {"y\thttp://h/<br>c.exe<BR>\n", UpdateAnswerOffer, "http://h/c.exe"},
        // The ";" is looked for in the cleaned, trimmed address: position 75 cuts, 76 and 80 not.
        {"y " + address(75) + ";x", UpdateAnswerOffer, address(75)},
        {"y<br> " + address(75) + ";x", UpdateAnswerOffer, address(75)},
        {"y " + address(76) + ";x", UpdateAnswerOffer, address(76) + ";x"},
        {"y " + address(80) + ";x", UpdateAnswerOffer, address(80) + ";x"},
        {"yes", UpdateAnswerOffer, "es"},
        {"y", UpdateAnswerOffer, ""},
        {"n", UpdateAnswerLatest, "-"},
        {"no update today", UpdateAnswerLatest, "-"},
        {"N", UpdateAnswerInvalid, "-"},
        {"Y http://h/a.exe", UpdateAnswerInvalid, "-"},
        {"", UpdateAnswerInvalid, "-"},
        {" y http://h/a.exe", UpdateAnswerInvalid, "-"},
        {"<html>error</html>", UpdateAnswerInvalid, "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        CString result = "-";
        EXPECT_EQ(ParseUpdateAnswer(c.answer.c_str(), result), c.kind);
        EXPECT_EQ(std::string(result), c.address);
    }
}

TEST(UpdateProtocol, RequestNamesTheFolderAsTenDigitsTheVersionAndTheTrackingId)
{
    EXPECT_EQ(std::string(UpdateRequestAddress("update.velmora.invalid", 2718281828ul)),
              "http://update.velmora.invalid/2718281828/kavrenup.php?version=1018601&bf=ORG");
    EXPECT_EQ(std::string(UpdateRequestAddress("127.0.0.1:8080", 42ul)),
              "http://127.0.0.1:8080/0000000042/kavrenup.php?version=1018601&bf=ORG");
    EXPECT_EQ(std::string(UpdateRequestAddress("h", 4294967295ul)),
              "http://h/4294967295/kavrenup.php?version=1018601&bf=ORG");
}

TEST(UpdateProtocol, UserAgentAndVersionTexts)
{
    EXPECT_EQ(std::string(UpdateUserAgent("0123456789abcde")), "Velmora v 1018601ORG-0123456789abcde");
    EXPECT_EQ(std::string(UpdateVersionDigits()), "1018601");
    EXPECT_EQ(std::string(ShortVersionText()), "1.0.1.8");
}
