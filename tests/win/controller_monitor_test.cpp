// How the monitor finds, polls and loses the device.
#include "controller_fixture.h"
#include "link/win/serial_port_list.h"

namespace {


TEST_F(Controller, OpensSearchingWithTheFileListAndOptionsSet) {
    AppendFlag = 7;  // any nonzero value means append
    Open(IDD_FULL_WINDOW);
    EXPECT_EQ(MainWindow, window_);
    EXPECT_EQ(ItemText(window_, IDC_STATUS_TEXT), "No Quillatron found.");
    EXPECT_EQ(VisiblePicture(), IDC_PICTURE_WAVES_SEARCHING) << "the template's cable picture is replaced";
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_FILE_LIST, CB_GETCOUNT, 0, 0), 8);
    char label[8] = "";
    SendDlgItemMessageA(window_, IDC_FILE_LIST, CB_GETLBTEXT, 7, reinterpret_cast<LPARAM>(label));
    EXPECT_STREQ(label, "8");
    EXPECT_EQ(Selection(), 0);
    EXPECT_EQ(SendDlgItemMessageA(window_, IDC_APPEND, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(Enabled(IDC_SEND) || Enabled(IDC_FILE_LIST) || Enabled(IDC_RETRIEVE));
}

TEST_F(Controller, DetectionShowsConnectedAndPostsOneRetrieve) {
    Sim("file 3 " + Hex("text"));
    Sim("current 3");
    Open(IDD_FULL_WINDOW);

    Tick();
    EXPECT_EQ(ConnectedFlag, 1u);
    ExpectConnectedLook();
    EXPECT_TRUE(Enabled(IDC_SEND) && Enabled(IDC_FILE_LIST) && Enabled(IDC_RETRIEVE));
    EXPECT_EQ(CurrentFile, 2u);
    EXPECT_EQ(Selection(), 2);
    EXPECT_EQ(TakePostedRetrieves(), 1);

    const int polls = Count("88");
    EXPECT_EQ(Tick(), 1) << "a poll of a connected device answers 1";
    EXPECT_EQ(Count("88"), polls + 1);
    EXPECT_EQ(TakePostedRetrieves(), 0) << "later ticks only poll";
}

TEST_F(Controller, PollFollowsClipboardFlagOnSendButton) {
    Open(IDD_FULL_WINDOW);
    Connect();
    ClipboardTextFlag = 0;
    Tick();
    EXPECT_FALSE(Enabled(IDC_SEND));
    ClipboardTextFlag = 1;
    Tick();
    EXPECT_TRUE(Enabled(IDC_SEND));
}

TEST_F(Controller, EmptyFileAtDetectionDisablesOnlyTheRetrieve) {
    Open(IDD_FULL_WINDOW);
    Connect();
    EXPECT_TRUE(Enabled(IDC_SEND));
    EXPECT_TRUE(Enabled(IDC_FILE_LIST));
    EXPECT_FALSE(Enabled(IDC_RETRIEVE));
}

TEST_F(Controller, OnlyAutoUploadOfExactlyOneStartsTheRetrieve) {
    Sim("file 1 " + Hex("x"));
    Open(IDD_COMPACT_WINDOW);
    for (uint32_t value : {0u, 2u}) {
        AutoUploadFlag = value;
        ConnectedFlag = 0;  // the port stays open; the hello is simply repeated
        Tick();
        EXPECT_EQ(ConnectedFlag, 1u) << "value " << value;
        ExpectConnectedLook();
        EXPECT_EQ(TakePostedRetrieves(), 0) << "value " << value;
    }
}

TEST_F(Controller, DeviceThatIgnoresTheFileQueryStaysConnectedWithoutRetrieve) {
    Sim("file 1 " + Hex("x"));
    Sim("mute 88 1");
    Open(IDD_COMPACT_WINDOW);
    Tick();
    EXPECT_EQ(ConnectedFlag, 1u);
    ExpectConnectedLook();
    EXPECT_EQ(TakePostedRetrieves(), 0);
}

TEST_F(Controller, LossAtNextTickThenPortReopenedAndOneRetrievePerArrival) {
    Sim("file 1 " + Hex("x"));
    Open(IDD_COMPACT_WINDOW);
    Tick();
    EXPECT_EQ(TakePostedRetrieves(), 1);
    Tick();
    EXPECT_EQ(TakePostedRetrieves(), 0);

    Sim("present 0");
    Tick();
    EXPECT_EQ(ConnectedFlag, 0u);
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE) << "the loss closes the port";
    EXPECT_EQ(ItemText(window_, IDC_STATUS_TEXT), "No Quillatron found.");
    EXPECT_EQ(WindowText(window_), "Glimmerly 3.0");
    EXPECT_EQ(SmallIcon(), MainIcon);
    EXPECT_EQ(VisiblePicture(), IDC_PICTURE_WAVES_SEARCHING);

    Tick();
    EXPECT_NE(PortHandle, INVALID_HANDLE_VALUE) << "the tick after the loss opens the port again";
    EXPECT_EQ(ConnectedFlag, 0u);

    Sim("present 1");
    Tick();
    EXPECT_EQ(ConnectedFlag, 1u);
    EXPECT_EQ(TakePostedRetrieves(), 1) << "coming back into range is a new arrival";
}

// Silence keeps the searching port open; a port that fails the hello (its
// adapter unplugged) is closed, and the next tick finds the device on a fresh
// handle, without a message box.
TEST_F(Controller, SearchingKeepsASilentPortButReopensADeadOne) {
    Sim("file 1 " + Hex("x"));
    Sim("present 0");
    Open(IDD_COMPACT_WINDOW);
    Tick();
    const HANDLE silent = PortHandle;
    ASSERT_NE(silent, INVALID_HANDLE_VALUE);
    Tick();
    EXPECT_EQ(PortHandle, silent) << "a silent device gets the hello again on the same handle";

    Sim("hangup");
    Sim("present 1");
    Tick();
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE) << "the failed hello closes the dead handle";
    EXPECT_EQ(ConnectedFlag, 0u);
    EXPECT_EQ(VisiblePicture(), IDC_PICTURE_WAVES_SEARCHING);
    Tick();
    EXPECT_EQ(ConnectedFlag, 1u) << "the next tick opens the port afresh and finds the device";
    EXPECT_EQ(TakePostedRetrieves(), 1);
}

TEST_F(Controller, TickWhileBusyLeavesThePortAlone) {
    Open(IDD_COMPACT_WINDOW);
    Connect();
    Sim("clear-transcript");
    BusyFlag = 1;
    EXPECT_EQ(Tick(), 0);
    BusyFlag = 0;
    EXPECT_EQ(QuillsimPcBytes(), "");
}

TEST_F(Controller, DestroyStoresTheTwoOptionsAndThePositionAndClosesThePort) {
    Open(IDD_COMPACT_WINDOW);
    Connect();
    AppendFlag = 1;
    DisclosedFlag = 0;
    SetWindowPos(window_, nullptr, -37, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window_, SW_MINIMIZE);
    DestroyWindow(window_);
    window_ = nullptr;
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(StoredOption("AppendFlag"), 1u);
    EXPECT_EQ(StoredOption("DisclosedFlag"), 0u);
    EXPECT_EQ(static_cast<LONG>(StoredOption("WindowLeft")), -37) << "the normal place, not the minimised one's";
    EXPECT_EQ(StoredOption("WindowTop"), 45u);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Windows ends the process after WM_ENDSESSION without a WM_DESTROY.
TEST_F(Controller, SessionEndStoresWhatClosingStoresAndOnlyATransferHoldsItUp) {
    Open(IDD_COMPACT_WINDOW);
    Connect();
    BusyFlag = 1;
    EXPECT_EQ(SendMessageA(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
    BusyFlag = 0;
    EXPECT_EQ(SendMessageA(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    AppendFlag = 1;
    DisclosedFlag = 0;
    SetWindowPos(window_, nullptr, 23, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(window_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(StoredOption("AppendFlag"), 1u);
    EXPECT_EQ(StoredOption("DisclosedFlag"), 0u);
    EXPECT_EQ(static_cast<LONG>(StoredOption("WindowLeft")), 23) << "the place is kept too";
}

}  // namespace

namespace {

const char* EmulatorPort() {
    const char* port = std::getenv("QUILLSIM_PORT");
    return port ? port : "";
}

constexpr char SerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Windows' list of the machine's serial ports, exactly these (Wine adds the
// host's own, which must not reach a test).
void ListPortsInRegistry(std::initializer_list<const char*> names) {
    // The key lives under a volatile one, so it can only be made anew as volatile.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, SerialCommKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, SerialCommKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    int n = 0;
    for (const char* name : names) {
        const std::string value = "\\Device\\Serial" + std::to_string(n++);
        RegSetValueExA(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(name), lstrlenA(name) + 1);
    }
    RegCloseKey(key);
}

// The Port submenu as it reads when it opens: each item's text, "*" after a ticked one.
std::string OpenPortMenu(HWND window) {
    HMENU system = GetSystemMenu(window, FALSE);
    HMENU ports = nullptr;
    for (int i = 0; i < GetMenuItemCount(system) && !ports; ++i) ports = GetSubMenu(system, i);
    if (!ports) return "<no Port submenu>";
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(ports), MAKELPARAM(0, FALSE));
    std::string items;
    for (int i = 0; i < GetMenuItemCount(ports); ++i) {
        char text[64] = "";
        GetMenuStringA(ports, i, text, sizeof text, MF_BYPOSITION);
        if (!text[0]) continue;  // a separator
        items += std::string(items.empty() ? "" : "|") + text;
        if (GetMenuState(ports, i, MF_BYPOSITION) & MF_CHECKED) items += "*";
    }
    return items;
}

std::string StoredPortName() {
    char name[16] = "";
    DWORD size = sizeof name;
    if (RegQueryValueExA(UserSettingsKey, "PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size) !=
        ERROR_SUCCESS)
        return "<none>";
    return name;
}

constexpr UINT IdSwitchWindow = 0x1000;
constexpr UINT IdDriverPort = 0x2800;
constexpr UINT IdFindKeyboard = 0x2810;
constexpr UINT PortItem(int index) { return 0x2000 + 0x10 * index; }

}  // namespace

TEST_F(Controller, PortMenuListsTheRegistrysPortsByNumberAndTicksTheOneInUse) {
    ListPortsInRegistry({"COM12", "COM7", "junk-too-long-for-a-port", "COM3", "com7"});
    Open(IDD_COMPACT_WINDOW);
    EXPECT_EQ(OpenPortMenu(window_),
              "COM3|COM7|COM12|Infrared driver's port (COM7)*|Find the keyboard...");

    SCOPED_TRACE("choosing a listed port stores it and ticks it");
    SendMessageA(window_, WM_SYSCOMMAND, PortItem(2), 0);  // COM12
    EXPECT_EQ(StoredPortName(), "COM12");
    EXPECT_STREQ(PortName, "COM12");
    EXPECT_EQ(OpenPortMenu(window_), "COM3|COM7|COM12*|Infrared driver's port (COM7)|Find the keyboard...");
    Tick();
    EXPECT_EQ(ConnectedFlag, 0u) << "nothing answers on COM12";

    SCOPED_TRACE("the driver's port again");
    SendMessageA(window_, WM_SYSCOMMAND, IdDriverPort, 0);
    EXPECT_EQ(StoredPortName(), "<none>");
    Tick();
    EXPECT_EQ(ConnectedFlag, 1u) << "back on the emulator's port";

    SCOPED_TRACE("a port chosen by hand that Windows does not list still shows, ticked");
    RegSetValueExA(UserSettingsKey, "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>("com40"), 6);
    EXPECT_EQ(OpenPortMenu(window_), "COM3|COM7|COM12|com40*|Infrared driver's port (COM7)|Find the keyboard...");
    ListPortsInRegistry({});
}

// The Port submenu reads the user's value as it opens; the tick after must
// still give up the old port for the new one.
TEST_F(Controller, APortChangeSeenFirstByTheMenuIsTakenUpAtTheNextTick) {
    Sim("present 0");
    Open(IDD_COMPACT_WINDOW);
    Tick();
    ASSERT_NE(PortHandle, INVALID_HANDLE_VALUE) << "searching on the emulator's port";
    RegSetValueExA(UserSettingsKey, "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>("COM40"), 6);
    OpenPortMenu(window_);
    Tick();
    EXPECT_EQ(PortHandle, INVALID_HANDLE_VALUE) << "the old port is closed; COM40 does not open";
    RegDeleteValueA(UserSettingsKey, "PortName");
}

// The device list of a machine with a USB adapter, a paired phone, a built-in
// port without a friendly name, an adapter whose name leaves out its port, a
// driver with a name too long to show whole, and a printer port.
namespace {

const std::wstring LongName(200, L'x');
const PresentPort MachineDevices[] = {
    {L"COM5", L"USB Serial Port (COM5)", L"FTDIBUS\\VID_0403+PID_6001+A9\\0000"},
    {L"COM4", L"Standard Serial over Bluetooth link (COM4)", L"BTHENUM\\{00001101-0000-1000-8000}_LOCALMFG&0002\\7&1"},
    {L"COM3", L"", L"ACPI\\PNP0501\\1"},
    {L"COM6", L"IR Transceiver", L"USB\\VID_1234&PID_5678\\1"},
    {L"COM9", LongName.c_str(), L"USB\\VID_1234&PID_9999\\1"},
    {L"LPT1", L"Printer Port (LPT1)", L"ACPI\\PNP0401\\0"},
};

void WalkMachineDevices(void (*each)(const PresentPort& port, void* context), void* context) {
    for (const PresentPort& port : MachineDevices) each(port, context);
}

std::string Utf8(const wchar_t* wide) {
    char text[512] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

}  // namespace

TEST(PortList, EachPortHasTheNameWindowsShowsAndTheSerialMapAddsTheRest) {
    ListPortsInRegistry({"COM5", "COM7", "COM3"});  // \Device\Serial0 to 2
    SerialPortList list;
    ListSerialPortsFrom(WalkMachineDevices, list);
    std::string listed;
    for (uint32_t i = 0; i < list.count; ++i) {
        const SerialPortEntry& port = list.ports[i];
        const std::string shown = port.name == std::string("COM9") ? "<long>" : Utf8(port.shown);
        listed += std::string(port.name) + " = " + shown + (port.bluetooth ? " *" : "") + " [" + port.device + "]\n";
    }
    EXPECT_EQ(listed,
              "COM3 = COM3 [\\Device\\Serial2]\n"
              "COM4 = Standard Serial over Bluetooth link (COM4) (Bluetooth) * []\n"
              "COM5 = USB Serial Port (COM5) [\\Device\\Serial0]\n"
              "COM6 = IR Transceiver (COM6) []\n"
              "COM7 = COM7 [\\Device\\Serial1]\n"
              "COM9 = <long> []\n");
    const std::string cut = Utf8(list.ports[5].shown);
    EXPECT_EQ(cut, std::string(ShownNameSize - 1 - 7, 'x') + " (COM9)") << "cut before the port, which shows";
    ListPortsInRegistry({});
}

TEST_F(Controller, NoPortAtAllShowsWhereToChooseOneUntilAPortIsKnown) {
    DriverPortName[0] = '\0';
    PortName[0] = '\0';
    Open(IDD_COMPACT_WINDOW);
    EXPECT_EQ(ItemText(window_, IDC_STATUS_LINE), "No port chosen: right-click the title bar to choose one.");
    RegSetValueExA(UserSettingsKey, "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(EmulatorPort()),
                   lstrlenA(EmulatorPort()) + 1);
    Tick();
    EXPECT_EQ(ItemText(window_, IDC_STATUS_LINE), "") << "the tick that reads the user's port clears the hint";
    EXPECT_EQ(ConnectedFlag, 1u);
    lstrcpynA(DriverPortName, EmulatorPort(), PortNameSize);
}

TEST_F(Controller, SwitchingWindowsKeepsTheConnectionAndRetrievesNothingAgain) {
    Sim("file 2 " + Hex("text"));
    Sim("current 2");
    Open(IDD_COMPACT_WINDOW);
    Connect();
    const HANDLE port = PortHandle;
    const int hellos = Count("bd");
    SetWindowPos(window_, nullptr, 12, 34, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    for (int templateId : {IDD_FULL_WINDOW, IDD_COMPACT_WINDOW}) {
        SCOPED_TRACE(templateId);
        HWND old = window_;
        SendMessageA(old, WM_SYSCOMMAND, IdSwitchWindow, 0);
        window_ = MainWindow;
        ASSERT_NE(window_, old);
        EXPECT_FALSE(IsWindow(old));
        KillTimer(window_, PollTimer);
        EXPECT_EQ(GetDlgItem(window_, IDC_SEND) != nullptr, templateId == IDD_FULL_WINDOW);
        EXPECT_EQ(PortHandle, port) << "the port stays open";
        EXPECT_EQ(ConnectedFlag, 1u);
        ExpectConnectedLook();
        EXPECT_EQ(Corner().x, 12) << "where the user put the window before";
        EXPECT_EQ(Corner().y, 34);
        PumpMessages();
        EXPECT_EQ(TakePostedRetrieves(), 0);
        EXPECT_EQ(Tick(), 1) << "the next tick polls the connected device";
    }
    EXPECT_EQ(Count("bd"), hellos) << "no new hello";
    EXPECT_EQ(Count("84"), 0) << "no text read";
    EXPECT_EQ(StoredOption("FullWindow"), 0u) << "the window last chosen";
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the switch does not end the loop";
}

TEST_F(Controller, FindTheKeyboardAsksThenTriesEachPortThatOpensAndKeepsTheOneThatAnswers) {
    ListPortsInRegistry({"COM30", EmulatorPort(), "COM2"});
    Open(IDD_COMPACT_WINDOW);
    Connect();
    {
        BoxWatcher watcher;  // says OK to the question, then closes the outcome
        SendMessageA(window_, WM_SYSCOMMAND, IdFindKeyboard, 0);
        auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_NE(seen[0].text.find("COM2, COM7, COM30"), std::string::npos) << seen[0].text;
        EXPECT_NE(seen[1].text.find("Quillatron found on COM7."), std::string::npos) << seen[1].text;
    }
    EXPECT_EQ(StoredPortName(), "COM7");
    EXPECT_EQ(ConnectedFlag, 0u) << "its own port was given up for the search";
    EXPECT_EQ(BusyFlag, 0u);
    Tick();
    EXPECT_EQ(ConnectedFlag, 1u) << "the next tick finds it on the chosen port";
    TakePostedRetrieves();

    SCOPED_TRACE("nobody answers");
    Sim("present 0");
    {
        BoxWatcher watcher;
        SendMessageA(window_, WM_SYSCOMMAND, IdFindKeyboard, 0);
        auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_NE(seen[1].text.find("No Quillatron answered on COM7."), std::string::npos)
            << "only the ports that opened were tried: " << seen[1].text;
    }
    EXPECT_EQ(StoredPortName(), "COM7") << "the choice stands";
    ListPortsInRegistry({});
}

TEST_F(Controller, AStoredPositionIsUsedWhereTheWindowTouchesAMonitorElseItStaysCentred) {
    struct Case {
        LONG left, top;
        bool used;
    };
    // The test display is one monitor from (0, 0); the first case measures the centred window.
    POINT centred = {};
    for (Case c : {Case{0, 0, false}, Case{100, 80, true}, Case{-40, -10, true}, Case{-3000, 80, false},
                   Case{100, 20000, false}}) {
        SCOPED_TRACE(std::to_string(c.left) + ", " + std::to_string(c.top));
        SavedWindowPosition = {c.used || c.left != 0, c.left, c.top};
        Open(IDD_FULL_WINDOW);
        if (!SavedWindowPosition.known) centred = Corner();
        const POINT expected = c.used ? POINT{c.left, c.top} : centred;
        EXPECT_EQ(Corner().x, expected.x);
        EXPECT_EQ(Corner().y, expected.y);
        DestroyWindow(window_);
        window_ = nullptr;
        PumpMessages();
    }
}
