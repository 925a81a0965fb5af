// One SCPI client against a FakeTarget, with its output collected in memory: what a test sends
// and what the client answered.
#pragma once

#include "fake_target.h"
#include "remote/command_set.h"
#include "remote/scpi_client.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrin::test {

class ClientHarness : public remote::ClientOutput {
public:
    FakeTarget target;
    std::string output;
    int workRequests = 0;
    int sends = 0;
    size_t congestAfter = SIZE_MAX;  // Congested once the output holds this much
    bool refuse = false;  // Send says the client is gone
    std::shared_ptr<remote::ScpiClient> client = remote::ScpiClient::Create(remote::ScpiCommands(), target, *this);

    bool Send(std::string_view bytes) override
    {
        if (refuse)
            return false;
        output.append(bytes);
        ++sends;
        return true;
    }
    bool Congested() const override { return output.size() >= congestAfter; }
    void WorkPending() override { ++workRequests; }

    // Runs until nothing is left for another turn (bounded).
    void RunAll()
    {
        for (int i = 0; i < 1000 && client->Run(); ++i) {
        }
    }
    // The line sent and run; what came back since.
    std::string Ask(const std::string &line)
    {
        output.clear();
        client->Feed(line + "\n");
        RunAll();
        return output;
    }
    // The codes of every queued error, oldest first; the queue is empty after.
    std::vector<int> Errors()
    {
        std::vector<int> codes;
        for (int i = 0; i < 40; ++i) {
            const std::string e = Ask("SYST:ERR?");
            const int code = std::stoi(e);
            if (code == 0)
                break;
            codes.push_back(code);
        }
        return codes;
    }
};

}  // namespace tavrin::test
