// The real glimmerly.exe under Wine, as a user runs it: the emulated keyboard
// on COM7, Wine's notepad holding the focus, and the probe reading from
// outside what the program shows. Needs the test bed that scripts/test sets
// up (WINEPREFIX, DISPLAY, GLIMMERLY_WIN64_DIR); skipped without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "harness/cp1252.h"
#include "harness/device_charset.h"
#include "harness/scene.h"
#include "harness/wait_until.h"
#include "harness/wire_summary.h"
#include "quillsim/hex.h"

namespace {

using namespace std::chrono_literals;
using e2e::Scene;
using e2e::WaitUntil;

// Generous bounds: the program polls every 3 s, a lost keyboard is noticed
// only after five empty reads, and Wine is slow on a loaded machine.
constexpr auto StartBound = 60s;
constexpr auto LandBound = 60s;
constexpr auto StateBound = 40s;
constexpr auto ExitBound = 30s;
constexpr int PollsToWatch = 3;
// Long enough for two ticks to meet the dead handle of an unplugged adapter.
constexpr auto UnpluggedFor = 7s;
// The poll timer runs every 3000 ms; a gap below this would mean the program
// polls faster than its timer, one far above it that polling stalled.
constexpr int64_t MinPollGapUs = 2'500'000;
constexpr int64_t MaxPollGapUs = 10'000'000;

const std::string SearchingText = "No Quillatron found.";
const std::string FoundText = "Quillatron found.";
const std::string ConnectedTitle = "Connected to Quillatron";

std::string AllSharedCharacters() {
    std::string s;
    int n = 0;
    for (const auto& c : e2e::SharedCharacters()) {
        s += c.utf8;
        if (++n % 24 == 0) s += "\n";
    }
    return s;
}

// Every character the keyboard shares with the PC, plain ASCII, a tab and the
// two flow-control bytes (which a port with XON/XOFF left on would swallow).
std::string FirstVisitText() {
    return "From the keyboard, every shared character:\n" + AllSharedCharacters() +
           "\nThe quick brown fox jumps over the lazy dog 0123456789.\n"
           "Punctuation !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~\ttab\x11xon\x13xoff\n"
           "Last line without an end";
}

const std::string SecondVisitText = "Second visit: d\xC3\xA9j\xC3\xA0 vu, na\xC3\xAFve caf\xC3\xA9.\n"
                                    "Zweiter Besuch: Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln.\n";

std::string DeviceHex(const std::string& utf8) {
    auto bytes = e2e::EncodeForDevice(utf8);
    EXPECT_TRUE(bytes.has_value()) << "the keyboard cannot hold: " << utf8;
    return quillsim::ToHex(bytes.value_or(std::vector<uint8_t>{}));
}

class WholeProgram : public ::testing::Test {
protected:
    void SetUp() override {
        auto env = e2e::TestBedEnv::FromEnvironment();
        std::string missing = env.Missing();
        if (!missing.empty()) GTEST_SKIP() << "no test bed: " << missing << " (scripts/test sets it up)";
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        scene_ = std::make_unique<Scene>(env, e2e::TestBedEnv::WorkRoot() + "/e2e-work/" + name);
        std::string error;
        ASSERT_TRUE(scene_->StartDevice(quillsim::DefaultBaud, &error)) << error;
    }
    void TearDown() override {
        if (!scene_) return;
        // The keyboard's view of the run, kept beside the program's output for a failure's reader.
        if (scene_->HasDevice()) scene_->Device().SaveTranscript(scene_->WorkDir() + "/transcript.txt");
        scene_->StopAll();
    }

    // Starts the program and waits for its window; the keyboard is out of range
    // until the test brings it in.
    void StartProgramSearching() {
        ASSERT_TRUE(scene_->ControlOk("present 0"));
        std::string error;
        ASSERT_TRUE(scene_->StartProgram(&error)) << error;
        ASSERT_TRUE(scene_->WaitForProgramWindow(StartBound)) << "the program's window never appeared";
    }

    void StartNotepadWithFocus() {
        std::string error;
        ASSERT_TRUE(scene_->StartNotepad(&error)) << error;
        ASSERT_TRUE(scene_->WaitForNotepadFocus(StartBound)) << "notepad never became the foreground window";
    }

    std::string NotepadUtf8() { return e2e::Cp1252ToUtf8(scene_->NotepadText().value_or("<unreadable>")); }

    bool WaitForNotepad(const std::string& expectedUtf8) {
        return WaitUntil(LandBound, [&] { return NotepadUtf8() == expectedUtf8; });
    }

    // The program's visible top-level windows: more than one means a message box.
    int VisibleProgramWindows() {
        auto window = scene_->Probe().Window(e2e::ProgramClass);
        if (!window) return 0;
        int n = 0;
        for (const auto& w : scene_->Probe().Run({"list", "--pid", window->Text("pid")}).OfKind("window"))
            n += w.Number("visible") == 1;
        return n;
    }

    size_t DoneCommands() { return e2e::CommandTimes(Wire(), e2e::CmdDone).size(); }

    std::vector<e2e::WireExchange> Wire() { return e2e::Exchanges(scene_->Device().Transcript()); }

    bool WaitForView(const std::string& title, const std::string& status, int picture) {
        return WaitUntil(StateBound, [&] {
            auto v = scene_->View();
            return v.title == title && v.statusText == status && v.visiblePictures == std::set<int>{picture};
        });
    }

    // The key witness's pastes: the clipboard's text and the modifier state
    // that came with the V key.
    std::vector<e2e::ProbeRecord> WitnessPastes() {
        std::vector<e2e::ProbeRecord> pastes;
        for (const auto& r : scene_->KeyWitnessRecords())
            if (r.kind == "paste") pastes.push_back(r);
        return pastes;
    }

    bool WitnessSawKeyDown(long virtualKey) {
        for (const auto& r : scene_->KeyWitnessRecords())
            if (r.kind == "key" && r.Number("vk") == virtualKey && r.Text("msg").find("down") != std::string::npos)
                return true;
        return false;
    }

    std::unique_ptr<Scene> scene_;
};

TEST_F(WholeProgram, FirstStartSearchesQuietlyRepairsSettingsAndClosesWithExitCode1) {
    auto& probe = scene_->Probe();
    ASSERT_TRUE(probe.RegDelete(e2e::MachineKey, "ProgPath"));
    ASSERT_TRUE(probe.RegSetDword(e2e::MachineKey, "ComPortSel", 9));
    ASSERT_TRUE(probe.RegSetDword(e2e::UserKey, "AutoUploadFlag", 7));
    ASSERT_TRUE(probe.RegDelete(e2e::UserKey, "DisclosedFlag"));
    ASSERT_TRUE(probe.RegDelete(e2e::UserKey, "AppendFlag"));

    StartProgramSearching();
    auto view = scene_->View();
    EXPECT_EQ(view.title, "Glimmerly v3.0");
    EXPECT_EQ(view.statusText, SearchingText);
    EXPECT_EQ(view.visiblePictures, std::set<int>{e2e::PictureWavesSearchingId}) << "exactly the searching picture";
    EXPECT_FALSE(view.progressVisible);

    // Two hellos that nobody answers: the program keeps searching and says nothing.
    ASSERT_TRUE(WaitUntil(StateBound, [&] { return e2e::CommandTimes(Wire(), e2e::CmdHello).size() >= 2; }))
        << "the program never sent its hello on COM7";
    view = scene_->View();
    EXPECT_EQ(view.statusText, SearchingText);
    EXPECT_EQ(view.visiblePictures, std::set<int>{e2e::PictureWavesSearchingId});
    EXPECT_EQ(VisibleProgramWindows(), 1) << "a silent keyboard must not bring up a message box";

    auto progPath = probe.RegGet(e2e::MachineKey, "ProgPath");
    ASSERT_TRUE(progPath) << "ProgPath was not recorded";
    EXPECT_EQ(progPath->Number("type"), 1) << "ProgPath is a REG_SZ";
    EXPECT_NE(progPath->Text("data").find("glimmerly.exe"), std::string::npos) << progPath->Text("data");
    auto comPortSel = probe.RegGet(e2e::MachineKey, "ComPortSel");
    ASSERT_TRUE(comPortSel);
    EXPECT_EQ(comPortSel->Number("dword"), 1) << "an out-of-range ComPortSel is repaired to 1";
    auto autoUpload = probe.RegGet(e2e::UserKey, "AutoUploadFlag");
    ASSERT_TRUE(autoUpload);
    EXPECT_EQ(autoUpload->Number("dword"), 0) << "an AutoUploadFlag other than 0 or 1 is repaired to 0";

    auto rc = scene_->CloseProgram(ExitBound);
    ASSERT_TRUE(rc) << "the program did not end after WM_CLOSE";
    EXPECT_EQ(*rc, 1);
    auto disclosed = probe.RegGet(e2e::UserKey, "DisclosedFlag");
    auto append = probe.RegGet(e2e::UserKey, "AppendFlag");
    ASSERT_TRUE(disclosed && append) << "closing the window stores both options";
    EXPECT_EQ(disclosed->Number("dword"), 0);
    EXPECT_EQ(append->Number("dword"), 0);
}

TEST_F(WholeProgram, SecondCopyEndsWithExitCode1AndShowsNothing) {
    StartProgramSearching();
    e2e::WineProcess copy;
    std::string error;
    ASSERT_TRUE(scene_->StartSecondCopy(copy, &error)) << error;
    auto rc = copy.WaitExit(int(std::chrono::milliseconds(ExitBound).count()));
    ASSERT_TRUE(rc) << "the second copy did not end by itself";
    EXPECT_EQ(*rc, 1);
    EXPECT_EQ(scene_->Probe().Windows(e2e::ProgramClass).size(), 1u) << "only the first copy has a window";
    EXPECT_TRUE(scene_->Program().Running()) << "the first copy keeps running";
}

TEST_F(WholeProgram, RetrievesPastesPollsLosesTheKeyboardAndFindsItAgain) {
    const std::string first = FirstVisitText();
    ASSERT_TRUE(scene_->ControlOk("file 1 " + DeviceHex(first)));
    ASSERT_TRUE(scene_->ControlOk("current 1"));
    StartProgramSearching();
    StartNotepadWithFocus();

    SCOPED_TRACE("the keyboard comes into range");
    ASSERT_TRUE(scene_->ControlOk("clear-transcript"));
    ASSERT_TRUE(scene_->ControlOk("present 1"));
    const std::string firstPc = e2e::PcTextOf(first);
    ASSERT_TRUE(WaitForNotepad(firstPc)) << "notepad holds:\n" << NotepadUtf8();
    auto clip = scene_->Probe().Clipboard();
    ASSERT_TRUE(clip.opened && clip.hasText);
    EXPECT_EQ(e2e::Cp1252ToUtf8(clip.text), firstPc);

    // After the paste: the end-of-transfer command, then only polls.
    auto donePolls = [&] {
        auto wire = Wire();
        auto done = e2e::CommandTimes(wire, e2e::CmdDone);
        if (done.empty()) return 0L;
        auto polls = e2e::CommandTimes(wire, e2e::CmdQueryFile);
        return long(std::count_if(polls.begin(), polls.end(), [&](int64_t t) { return t > done.front(); }));
    };
    ASSERT_TRUE(WaitUntil(StateBound, [&] { return donePolls() >= PollsToWatch; }))
        << "no end-of-transfer command followed by polls";
    auto wire = Wire();
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.front().command, e2e::CmdHello);
    EXPECT_EQ(std::string(wire.front().reply.begin(), wire.front().reply.end()), "Quillatron IR v1.0");
    auto reads = e2e::CommandTimes(wire, e2e::CmdReadText);
    auto done = e2e::CommandTimes(wire, e2e::CmdDone);
    ASSERT_EQ(reads.size(), 1u) << "one retrieve while the keyboard stays in range";
    ASSERT_EQ(done.size(), 1u);
    EXPECT_LT(reads.front(), done.front()) << "the end-of-transfer command comes after the retrieve";
    for (const auto& x : wire) {
        if (x.command != e2e::CmdReadText) continue;
        EXPECT_EQ(x.blockBytes, e2e::EncodeForDevice(first)->size());
    }
    std::vector<int64_t> polls;
    for (int64_t t : e2e::CommandTimes(wire, e2e::CmdQueryFile))
        if (t > done.front()) polls.push_back(t);
    for (size_t i = 1; i < polls.size(); ++i) {
        EXPECT_GE(polls[i] - polls[i - 1], MinPollGapUs) << "poll " << i;
        EXPECT_LE(polls[i] - polls[i - 1], MaxPollGapUs) << "poll " << i;
    }
    auto view = scene_->View();
    EXPECT_EQ(view.title, ConnectedTitle);
    EXPECT_EQ(view.statusText, FoundText);
    EXPECT_EQ(view.visiblePictures, std::set<int>{e2e::PictureWavesLinkedId});
    EXPECT_FALSE(view.progressVisible);
    EXPECT_EQ(view.statusLine, "");

    SCOPED_TRACE("the keyboard leaves without a word");
    ASSERT_TRUE(scene_->ControlOk("present 0"));
    EXPECT_TRUE(WaitForView("Glimmerly 3.0", SearchingText, e2e::PictureWavesSearchingId))
        << "title \"" << scene_->View().title << "\"";

    SCOPED_TRACE("it comes back with another text");
    ASSERT_TRUE(scene_->ControlOk("file 1 " + DeviceHex(SecondVisitText)));
    ASSERT_TRUE(scene_->ControlOk("present 1"));
    const std::string both = firstPc + e2e::PcTextOf(SecondVisitText);
    ASSERT_TRUE(WaitForNotepad(both)) << "notepad holds:\n" << NotepadUtf8();
    clip = scene_->Probe().Clipboard();
    ASSERT_TRUE(clip.opened && clip.hasText);
    EXPECT_EQ(e2e::Cp1252ToUtf8(clip.text), e2e::PcTextOf(SecondVisitText));
    EXPECT_EQ(e2e::CommandTimes(Wire(), e2e::CmdReadText).size(), 2u);
    EXPECT_TRUE(WaitForView(ConnectedTitle, FoundText, e2e::PictureWavesLinkedId));
}

// Under a system code page other than 1252 (a Russian locale here) the text
// must still reach notepad as code page 1252 characters: the program names
// the text's locale on the clipboard. Without that Wine would take the
// program's own locale and notepad would show Cyrillic letters.
TEST_F(WholeProgram, PastesCodePage1252TextUnderAnotherSystemCodePage) {
    const std::vector<std::string> russian = {"LC_ALL=ru_RU.UTF-8", "LANG=ru_RU.UTF-8"};
    const unsigned codePage = scene_->Probe().CodePage(russian);
    ASSERT_NE(codePage, 0u) << "the probe could not tell the code page";
    ASSERT_NE(codePage, 1252u) << "the locale gives code page 1252 here, so the run would prove nothing";
    ASSERT_TRUE(scene_->ControlOk("file 1 " + DeviceHex(SecondVisitText)));
    ASSERT_TRUE(scene_->ControlOk("current 1"));
    scene_->Program().SetEnvironment(russian);
    StartProgramSearching();
    StartNotepadWithFocus();
    ASSERT_TRUE(scene_->ControlOk("present 1"));
    EXPECT_TRUE(WaitForNotepad(e2e::PcTextOf(SecondVisitText)))
        << "under code page " << codePage << " notepad holds:\n" << NotepadUtf8();
}

// A retrieve that fails while another program has the focus passes silently:
// nothing is typed, the clipboard is emptied, the keyboard still hears the
// end-of-transfer command, and polling goes on.
TEST_F(WholeProgram, FailedRetrievesPasteNothingShowNothingAndPollingGoesOn) {
    ASSERT_TRUE(scene_->ControlOk("file 1 "));
    StartProgramSearching();
    StartNotepadWithFocus();
    ASSERT_TRUE(scene_->Probe().CopyThroughEdit(e2e::NotepadClass, "stale text"));
    ASSERT_EQ(scene_->Probe().Clipboard().text, "stale text");

    SCOPED_TRACE("the current file is empty");
    ASSERT_TRUE(scene_->ControlOk("clear-transcript"));
    ASSERT_TRUE(scene_->ControlOk("present 1"));
    ASSERT_TRUE(WaitUntil(StateBound, [&] { return DoneCommands() >= 1; })) << "no end-of-transfer command";
    EXPECT_TRUE(e2e::CommandTimes(Wire(), e2e::CmdReadText).empty()) << "an empty file is not read";
    auto clip = scene_->Probe().Clipboard();
    EXPECT_TRUE(clip.opened && !clip.hasText) << "the failed retrieve empties the clipboard";
    EXPECT_EQ(VisibleProgramWindows(), 1) << "no message box while notepad has the focus";
    EXPECT_TRUE(WaitForView(ConnectedTitle, FoundText, e2e::PictureWavesLinkedId));

    SCOPED_TRACE("the keyboard announces more text than it sends");
    ASSERT_TRUE(scene_->ControlOk("present 0"));
    ASSERT_TRUE(WaitForView("Glimmerly 3.0", SearchingText, e2e::PictureWavesSearchingId));
    ASSERT_TRUE(scene_->ControlOk("file 1 " + DeviceHex("short\n")));
    ASSERT_TRUE(scene_->ControlOk("overstate 40"));
    ASSERT_TRUE(scene_->ControlOk("present 1"));
    ASSERT_TRUE(WaitUntil(StateBound, [&] { return DoneCommands() >= 2; }))
        << "the retrieve never gave up on the missing text";
    EXPECT_EQ(e2e::CommandTimes(Wire(), e2e::CmdReadText).size(), 1u);
    EXPECT_EQ(NotepadUtf8(), "") << "nothing is typed after a failed retrieve";
    clip = scene_->Probe().Clipboard();
    EXPECT_TRUE(clip.opened && !clip.hasText);
    EXPECT_EQ(VisibleProgramWindows(), 1);
    auto pollsAfterSecondDone = [&] {
        auto wire = Wire();
        auto done = e2e::CommandTimes(wire, e2e::CmdDone);
        auto polls = e2e::CommandTimes(wire, e2e::CmdQueryFile);
        return done.size() < 2 ? 0L : long(std::count_if(polls.begin(), polls.end(), [&](int64_t t) { return t > done[1]; }));
    };
    EXPECT_TRUE(WaitUntil(StateBound, [&] { return pollsAfterSecondDone() >= 2; })) << "polling stopped";
    EXPECT_TRUE(WaitForView(ConnectedTitle, FoundText, e2e::PictureWavesLinkedId));
}

// A USB adapter's port numbered above 9, pulled out while the program searches
// and plugged back in: the dead handle is let go and the keyboard is found
// again on a fresh one, with no restart and no message box.
TEST_F(WholeProgram, KeyboardOnCom12IsFoundAgainAfterItsAdapterIsReplugged) {
    scene_->UnplugDevice();
    std::string error;
    ASSERT_TRUE(scene_->StartDevice(quillsim::DefaultBaud, &error, "COM12")) << error;
    ASSERT_TRUE(scene_->ControlOk("file 1 " + DeviceHex(SecondVisitText)));
    StartProgramSearching();
    StartNotepadWithFocus();
    ASSERT_TRUE(scene_->ControlOk("present 1"));
    const std::string pc = e2e::PcTextOf(SecondVisitText);
    ASSERT_TRUE(WaitForNotepad(pc)) << "nothing came through COM12; notepad holds:\n" << NotepadUtf8();

    SCOPED_TRACE("out of range, then the adapter is pulled out while the program searches");
    ASSERT_TRUE(scene_->ControlOk("present 0"));
    ASSERT_TRUE(WaitForView("Glimmerly 3.0", SearchingText, e2e::PictureWavesSearchingId));
    ASSERT_TRUE(scene_->ControlOk("clear-transcript"));
    ASSERT_TRUE(WaitUntil(StateBound, [&] { return !e2e::CommandTimes(Wire(), e2e::CmdHello).empty(); }))
        << "no hello on the reopened port";
    scene_->UnplugDevice();
    std::this_thread::sleep_for(UnpluggedFor);

    SCOPED_TRACE("plugged back in, in range, with another text");
    ASSERT_TRUE(scene_->PlugDevice(&error)) << error;
    ASSERT_TRUE(scene_->ControlOk("file 1 " + DeviceHex("Plugged back in.\n")));
    ASSERT_TRUE(WaitForNotepad(pc + e2e::PcTextOf("Plugged back in.\n")))
        << "the replugged keyboard was not found; notepad holds:\n" << NotepadUtf8();
    EXPECT_TRUE(WaitForView(ConnectedTitle, FoundText, e2e::PictureWavesLinkedId));
    EXPECT_EQ(VisibleProgramWindows(), 1) << "an unplugged adapter brings up no message box";
}

// Keys the user holds must not turn the paste into another shortcut: the
// focused window receives Ctrl+V with Shift, Alt and Win up, and the text.
TEST_F(WholeProgram, APasteWithShiftOrAltHeldArrivesAsPlainCtrlV) {
    ASSERT_TRUE(scene_->ControlOk("file 1 " + DeviceHex(SecondVisitText)));
    StartProgramSearching();
    std::string error;
    ASSERT_TRUE(scene_->StartKeyWitness(StartBound, &error)) << error;
    const std::string pc = e2e::PcTextOf(SecondVisitText);
    const struct {
        const char* xName;
        long virtualKey;
    } heldKeys[] = {{"Shift_L", 0x10}, {"Alt_L", 0x12}};
    size_t pastes = 0;
    for (const auto& held : heldKeys) {
        SCOPED_TRACE(held.xName);
        ASSERT_TRUE(scene_->PressKey(held.xName, true));
        ASSERT_TRUE(WaitUntil(StateBound, [&] { return WitnessSawKeyDown(held.virtualKey); }))
            << "the held key never reached the key witness";
        ASSERT_TRUE(scene_->ControlOk("present 1"));
        ASSERT_TRUE(WaitUntil(LandBound, [&] { return WitnessPastes().size() > pastes; })) << "no Ctrl+V arrived";
        const auto paste = WitnessPastes()[pastes++];
        EXPECT_EQ(e2e::Cp1252ToUtf8(paste.Text("text")), pc);
        EXPECT_EQ(paste.Number("ctrl"), 1);
        EXPECT_EQ(paste.Number("shift"), 0);
        EXPECT_EQ(paste.Number("alt"), 0);
        EXPECT_EQ(paste.Number("win"), 0);
        ASSERT_TRUE(scene_->PressKey(held.xName, false));
        ASSERT_TRUE(scene_->ControlOk("present 0"));
        ASSERT_TRUE(WaitForView("Glimmerly 3.0", SearchingText, e2e::PictureWavesSearchingId));
    }
    EXPECT_EQ(VisibleProgramWindows(), 1);
}

// The user's own port (given as /port) beats a driver's port where nothing
// answers; /full opens the full window, whose automatic retrieve still pastes;
// the window menu's switch keeps the connection and fetches nothing again.
TEST_F(WholeProgram, UsersPortAndFullWindowPasteAndTheSwitchKeepsTheConnection) {
    constexpr int SendButtonId = 101;
    const std::string switchWindow = "0x1000";  // the window menu's switch item
    auto& probe = scene_->Probe();
    ASSERT_TRUE(probe.RegSetString(e2e::PortKey, "PortName", "COM9"));
    ASSERT_TRUE(probe.RegDelete(e2e::UserKey, "PortName"));
    ASSERT_TRUE(scene_->ControlOk("file 1 " + DeviceHex("full window\n")));
    ASSERT_TRUE(scene_->ControlOk("present 0"));
    std::string error;
    ASSERT_TRUE(scene_->StartProgram(&error, {"/full", "/port", "com7"})) << error;
    ASSERT_TRUE(scene_->WaitForProgramWindow(StartBound));
    EXPECT_EQ(scene_->View().title, "Quillatron Get Utility v3.0") << "the full window";
    StartNotepadWithFocus();

    ASSERT_TRUE(scene_->ControlOk("present 1"));
    ASSERT_TRUE(WaitForNotepad(e2e::PcTextOf("full window\n"))) << "notepad holds:\n" << NotepadUtf8();
    ASSERT_TRUE(WaitUntil(StateBound, [&] { return DoneCommands() == 1; }));

    auto hasSendButton = [&] {
        for (const auto& rec : probe.Controls(e2e::ProgramClass))
            if (rec.kind == "control" && rec.Number("id") == SendButtonId) return true;
        return false;
    };
    EXPECT_TRUE(hasSendButton());
    for (bool full : {false, true}) {
        SCOPED_TRACE(full ? "back to the full window" : "to the compact window");
        ASSERT_EQ(probe.Run({"syscommand", "--class", e2e::ProgramClass, switchWindow}).exitCode, 0);
        ASSERT_TRUE(WaitUntil(StateBound, [&] { return hasSendButton() == full && scene_->View().found; }));
        EXPECT_TRUE(WaitForView(ConnectedTitle, FoundText, e2e::PictureWavesLinkedId));
        const size_t polls = e2e::CommandTimes(Wire(), e2e::CmdQueryFile).size();
        EXPECT_TRUE(WaitUntil(StateBound, [&] { return e2e::CommandTimes(Wire(), e2e::CmdQueryFile).size() >= polls + 2; }))
            << "the new window polls the device";
    }
    const auto done = e2e::CommandTimes(Wire(), e2e::CmdDone);
    ASSERT_EQ(done.size(), 1u);
    for (int64_t hello : e2e::CommandTimes(Wire(), e2e::CmdHello))
        EXPECT_LT(hello, done.front()) << "no hello after the retrieve: the switch kept the connection";
    EXPECT_EQ(e2e::CommandTimes(Wire(), e2e::CmdReadText).size(), 1u) << "nothing retrieved twice";
    EXPECT_EQ(probe.Windows(e2e::ProgramClass).size(), 1u);

    auto rc = scene_->CloseProgram(ExitBound);
    ASSERT_TRUE(rc);
    EXPECT_EQ(*rc, 1);
    auto port = probe.RegGet(e2e::UserKey, "PortName");
    ASSERT_TRUE(port);
    EXPECT_STREQ(port->Text("data").c_str(), "COM7");
    auto full = probe.RegGet(e2e::UserKey, "FullWindow");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->Number("dword"), 1) << "the window last chosen";
    ASSERT_TRUE(probe.RegDelete(e2e::UserKey, "PortName"));
    ASSERT_TRUE(probe.RegDelete(e2e::UserKey, "FullWindow"));
}

}  // namespace
