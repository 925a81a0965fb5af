// The "Trace Record" group on the panel with the fake analyzer: record files made by hand, loaded,
// and the group's file jobs run to their end.
#pragma once

#include "record/record_file.h"
#include "record/record_group.h"
#include "support/panel_fixture.h"

#include <fstream>

namespace tavrin::test {

class RecordPanelTest : public PanelTest {
protected:
    void SetUp() override
    {
        settings.RecordInterval = "0.2";
        Load();
        settings.RecordInterval = "0.2";
    }
    RecordGroup &rec() { return panel->Record(); }
    const Recorder &recorder() { return session->Record(); }
    // 1 Jan 2025 12:00, every point 523 steps of 0.078125 dB under the reference.
    static TraceRecord Made(double mhz, const char *span = "2MHZ/DIV", int16_t ref = 0)
    {
        TraceRecord r{45658.5, mhz, FixedText<12>(span), ref, FixedText<8>("30KHZ")};
        r.points.fill(500);
        return r;
    }
    // A file job of the group (load, save, export) run to its end.
    void Finish()
    {
        Settle();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder().Busy(); }, 20000));
    }
    void Press(const char *button)
    {
        Click(button);
        Finish();
    }
    void LoadFile(const RecordTable &entries)
    {
        const std::string path = home.Path() + "/made.spf";
        std::ofstream out(path, std::ios::binary);
        for (const TraceRecord &entry : entries)
            out.write(reinterpret_cast<const char *>(EncodeRecord(entry).data()), kRecordBytes);
        out.close();
        dialogs.files = {path};
        Press("cmdLoadRecord");
    }
};

}  // namespace tavrin::test
