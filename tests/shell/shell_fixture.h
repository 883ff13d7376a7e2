// The library loaded into a fresh stand-in host, as the host loads it (its
// entry points linked in), with the host's user to drive it. The drawing the
// host opens first gets its sink as a drawing the library heard of.
#pragma once

#include "support/host_fixture.h"

#include "shell/Events.h"
#include "vlhost/Driver.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace shelltest {

class ShellTest : public hosttest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        user = std::make_unique<vlhost::Driver>(*host);
        ASSERT_TRUE(user->Attach(&LoadVarnelLibrary, &UnloadVarnelLibrary)) << user->LoadError();
        CreateDocumentEvents(doc);
    }
    void TearDown() override
    {
        user->Unload();
        user.reset();
        HostTest::TearDown();
    }

    size_t Mark() const { return host->State().transcript.size(); }
    // The calls of the host into the library since `from`, without their marks.
    std::vector<std::string> CallsSince(size_t from) const
    {
        std::vector<std::string> calls;
        const std::vector<std::string>& lines = host->State().transcript;
        for (size_t i = from; i < lines.size(); ++i) {
            const size_t at = lines[i].find_first_not_of(' ');
            if (at != std::string::npos && lines[i].compare(at, 2, "> ") == 0)
                calls.push_back(lines[i].substr(at + 2));
        }
        return calls;
    }
    size_t CountCalls(size_t from, const std::string& call) const
    {
        const std::vector<std::string> calls = CallsSince(from);
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
    }
    // The notes of the library's calls into the host since `from` that start with `prefix`.
    std::vector<std::string> NotesSince(size_t from, const std::string& prefix) const
    {
        std::vector<std::string> notes;
        const std::vector<std::string>& lines = host->State().transcript;
        for (size_t i = from; i < lines.size(); ++i) {
            const size_t at = lines[i].find_first_not_of(' ');
            if (at != std::string::npos && lines[i].compare(at, 2 + prefix.size(), ". " + prefix) == 0)
                notes.push_back(lines[i].substr(at + 2));
        }
        return notes;
    }
    // The answers of the calls since `from` that start with `call` ("" for none).
    std::vector<std::string> AnswersSince(size_t from, const std::string& call) const
    {
        std::vector<std::string> answers;
        const std::vector<std::string>& lines = host->State().transcript;
        for (size_t i = from; i < lines.size(); ++i) {
            const size_t at = lines[i].find_first_not_of(' ');
            if (at == std::string::npos || lines[i].compare(at, 2 + call.size(), "> " + call) != 0)
                continue;
            std::string answer;
            for (size_t j = i + 1; j < lines.size(); ++j) {
                if (lines[j].find_first_not_of(' ') != at)
                    continue;
                if (lines[j].compare(at, 2, "< ") == 0)
                    answer = lines[j].substr(at + 2);
                if (lines[j].compare(at, 2, "< ") == 0 || lines[j].compare(at, 2, "> ") == 0)
                    break;
            }
            answers.push_back(answer);
        }
        return answers;
    }
    // The answer of the last call, "" when it gave none.
    std::string LastAnswer() const
    {
        const std::string& line = host->State().transcript.back();
        const size_t at = line.find_first_not_of(' ');
        return line.compare(at, 2, "< ") == 0 ? line.substr(at + 2) : std::string();
    }

    std::unique_ptr<vlhost::Driver> user;
};

}  // namespace shelltest
