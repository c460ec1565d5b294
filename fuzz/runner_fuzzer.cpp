// Fuzzes the script runner with arbitrary scripts, through the host of the dry-run tool, so the
// transcript checked here is the one `typomancer-keys --raw --script` prints.
//
// For every input: nothing crashes, leaks or hangs; a run begins by stepping aside and waiting
// the start delay, and ends with the idle caption; a run that fails shows exactly one message
// and one that completes shows none; every batch leaves no modifier down; a failure inside a
// text raises only the errors the notation allows.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "report.h"
#include "runner.h"
#include "script_host.h"
#include "send_input.h"
#include "sim_keyboard.h"

namespace {

using namespace typomancer;

std::vector<std::string> Lines(const std::string& transcript) {
    std::vector<std::string> lines;
    std::istringstream in(transcript);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

void CheckTranscript(const std::vector<std::string>& lines, RunOutcome outcome) {
    FUZZ_CHECK(lines.size() >= 5, "a run has at least its opening steps and its end");
    FUZZ_CHECK(lines[0] == "caption Running..." && lines[1] == "minimise" &&
                   lines[2] == "bottom" && lines[3] == "pause 1500",
               "a run steps aside and waits 1500 ms first");
    FUZZ_CHECK(lines.back() == "caption Typomancer", "a run ends with the idle caption");

    int messages = 0;
    for (std::size_t i = 4; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (StartsWith(line, "message ")) {
            ++messages;
            FUZZ_CHECK(StartsWith(line, "message Error: The below script is invalid.") ||
                           StartsWith(line, "message Error: The script is invalid.") ||
                           StartsWith(line, "message Typomancer: 6 ") ,
                       "a script fails only as invalid (9) or with an overflow (6)");
            FUZZ_CHECK(i >= 1 && lines[i - 1] == "focus", "the window takes the focus first");
        } else if (StartsWith(line, "send ")) {
            std::size_t count = std::stoul(line.substr(5));
            FUZZ_CHECK(count > 0 && i + count < lines.size(), "a batch prints all its records");
            std::vector<InputRecord> batch(count);
            for (std::size_t k = 0; k < count; ++k) {
                std::istringstream fields(lines[i + 1 + k]);
                unsigned vk = 0, scan = 0, flags = 0;
                fields >> vk >> scan >> flags;
                FUZZ_CHECK(!fields.fail(), "a raw record is three numbers");
                batch[k].type = kInputKeyboard;
                batch[k].wVk = static_cast<std::uint16_t>(vk);
                batch[k].wScan = static_cast<std::uint16_t>(scan);
                batch[k].dwFlags = flags;
            }
            fuzz::CheckBatch(batch.data(), batch.size());
            i += count;
        }
    }
    FUZZ_CHECK(messages == (outcome == RunOutcome::Failed ? 1 : 0),
               "a failed run shows one message, a completed one none");
    FUZZ_CHECK(outcome != RunOutcome::Abandoned, "nothing closes the window here");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string script = fuzz::DecodeFuzzText(data, size);
    SimKeyboard system;
    std::ostringstream transcript;
    ReportingKeyboard keyboard(system, transcript, /*raw=*/true, /*capsLock=*/(size & 1) != 0);
    MSendInput engine(keyboard);
    ReportingHost host(script, keyboard, transcript);
    RunOutcome outcome = cmdRun_Click(host, engine);
    CheckTranscript(Lines(transcript.str()), outcome);
    return 0;
}
