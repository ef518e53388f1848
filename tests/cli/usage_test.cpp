// Bad usage, bad input and failing files: the exit status, one error line,
// and no output file.
#include "cli_harness.h"

namespace varnok::clitest {
namespace {

void expectOneErrorLine(const RunResult& r, int status, const std::string& context) {
    EXPECT_EQ(r.status, status) << context;
    EXPECT_EQ(r.out, "") << context;
    ASSERT_EQ(r.errLines().size(), 1u) << context << ": " << r.err;
    EXPECT_EQ(r.err.rfind("varnok-cli: ", 0), 0u) << context << ": " << r.err;
}

TEST_F(CliTest, BadUsageIsStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"new"},
        {"new", "-o"},
        {"new", "-o", "x.sin", "--bogus"},
        {"show"},
        {"show", "a.sin", "b.sin"},
        {"build", "form.json"},
        {"build", "-o", "x.sin"},
    };
    for (const auto& args : cases) {
        std::string context;
        for (const auto& a : args)
            context += a + " ";
        expectOneErrorLine(run(args), 2, context);
        EXPECT_FALSE(exists("x.sin")) << context;
    }
}

TEST_F(CliTest, HelpIsNoError) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"build", "--help"}}) {
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 0) << args.front();
        EXPECT_NE(r.out.find("Usage"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(CliTest, LostStandardOutputIsAFailure) {
    writeImage("file.sin", newFileBytes());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ports"}, {"--help"}, {"--version"}, {"show", "file.sin"}}) {
        for (const char* lost : {">/dev/full", ">&-"}) {
            const RunResult r = run(args, lost);
            EXPECT_EQ(r.status, 1) << args.front() << " " << lost;
            EXPECT_EQ(r.err, "varnok-cli: cannot write to standard output\n") << args.front() << " " << lost;
        }
    }
}

TEST_F(CliTest, BuildReadsTheFormFromStandardInput) {
    writeText("form.json", R"({"channels": [{"channel": 3, "rx": "145.5"}]})");
    ASSERT_EQ(run({"build", "form.json", "-o", "file.sin"}).status, 0);
    const RunResult r = run({"build", "-", "-o", "stdin.sin"}, "<form.json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readImage("stdin.sin"), readImage("file.sin"));
}

TEST_F(CliTest, BadJsonIsRefusedInBothModes) {
    const struct {
        const char* name;
        std::string json;
    } cases[] = {
        {"malformed", R"({"channels": [)"},
        {"empty file", ""},
        {"top level not an object", R"([1, 2])"},
        {"unknown top-level key", R"({"setting": {"band": {"index": 1}}})"},
        {"settings not an object", R"({"settings": []})"},
        {"channels not an array", R"({"channels": {"channel": 1}})"},
        {"channel entry not an object", R"({"channels": [3]})"},
        {"unknown setting", R"({"settings": {"volume": {"index": 1}}})"},
        {"unknown key in a setting", R"({"settings": {"model": {"idx": 1}}})"},
        {"setting not an object", R"({"settings": {"model": 1}})"},
        {"index out of range", R"({"settings": {"model": {"index": 99}}})"},
        {"index below -1", R"({"settings": {"band": {"index": -2}}})"},
        {"index not an integer", R"({"settings": {"band": {"index": 1.0}}})"},
        {"index as a string", R"({"settings": {"band": {"index": "1"}}})"},
        {"index beyond 64 bits", R"({"settings": {"band": {"index": 99999999999999999999999}}})"},
        {"number beyond a double", R"({"settings": {"band": {"index": 1e400}}})"},
        {"text not an entry", R"({"settings": {"model": {"text": "QX-999"}}})"},
        {"text not a string", R"({"settings": {"model": {"text": null}}})"},
        {"unknown key in a channel", R"({"channels": [{"channel": 1, "freq": "145.5"}]})"},
        {"channel missing", R"({"channels": [{"rx": "145.5"}]})"},
        {"channel as a string", R"({"channels": [{"channel": "3"}]})"},
        {"channel 0", R"({"channels": [{"channel": 0}]})"},
        {"channel 17", R"({"channels": [{"channel": 17}]})"},
        {"channel huge", R"({"channels": [{"channel": 18446744073709551617}]})"},
        {"cell not a string", R"({"channels": [{"channel": 1, "rx": 145.5}]})"},
        {"non-UTF-8 in a string", "{\"channels\": [{\"channel\": 1, \"rx\": \"145\xFF\xFE\"}]}"},
        {"overlong UTF-8 in a key", "{\"settings\": {\"\xC0\xAF\": {}}}"},
        {"deep nesting where an object belongs",
         R"({"settings": )" + std::string(100000, '[') + std::string(100000, ']') + "}"},
    };
    for (const auto& c : cases) {
        writeText("form.json", c.json);
        for (const bool raw : {false, true}) {
            std::vector<std::string> args = {"build", "form.json", "-o", "out.sin"};
            if (raw)
                args.push_back("--raw");
            const RunResult r = run(args);
            expectOneErrorLine(r, 2, std::string(c.name) + (raw ? " (raw)" : ""));
            EXPECT_NE(r.err.find("form.json"), std::string::npos) << r.err;
            EXPECT_FALSE(exists("out.sin")) << c.name;
        }
    }
}

TEST_F(CliTest, HostileButValidInputDoesNotCrash) {
    // A megabyte of digits is refused in one short line.
    writeText("long.json", R"({"channels": [{"channel": 1, "rx": ")" + std::string(1 << 20, '9') + R"("}]})");
    const RunResult r = run({"build", "long.json", "-o", "long.sin"});
    expectOneErrorLine(r, 2, "long frequency");
    EXPECT_LT(r.err.size(), 300u);
    EXPECT_FALSE(exists("long.sin"));

    // Control characters stay escaped inside the one line.
    writeText("ctl.json", R"({"channels": [{"channel": 1, "decode": "\n\u0007"}]})");
    const RunResult ctl = run({"build", "ctl.json", "-o", "ctl.sin"});
    expectOneErrorLine(ctl, 2, "control characters");
    EXPECT_NE(ctl.err.find(R"("\n\u0007": not a tone name)"), std::string::npos) << ctl.err;
}

TEST_F(CliTest, FilesThatFailGiveTheirStatus) {
    writeText("form.json", "{}");
    writeText("short.sin", std::string(1000, '\0'));
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* named;
    } cases[] = {
        {"missing form", {"build", "missing.json", "-o", "out.sin"}, 1, "missing.json"},
        {"form is a folder", {"build", ".", "-o", "out.sin"}, 1, "\".\""},
        {"missing base", {"build", "form.json", "--base", "missing.sin", "-o", "out.sin"}, 1, "missing.sin"},
        {"short base", {"build", "form.json", "--base", "short.sin", "-o", "out.sin"}, 2, "short.sin"},
        {"output folder missing", {"build", "form.json", "-o", "no/such/out.sin"}, 1, "folder \"no/such\""},
        {"new into a missing folder", {"new", "-o", "no/such/out.sin"}, 1, "folder \"no/such\""},
    };
    for (const auto& c : cases) {
        const RunResult r = run(c.args);
        expectOneErrorLine(r, c.status, c.name);
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_FALSE(exists("out.sin")) << c.name;
    }
}

} // namespace
} // namespace varnok::clitest
