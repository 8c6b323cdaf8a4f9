// Settings against the real registry of the test prefix. Every case starts
// from missing keys; the infrared port name that others' tests rely on is put
// back afterwards.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "settings/win/settings_reader.h"
#include "settings/win/store/settings_store.h"
#include "settings/win/store/start_with_windows.h"

namespace {

constexpr const char* EnumPath = "Enum\\Infrared\\COM\\ROOT&INFRARED&0000";
constexpr const char* EnumTop = "Enum\\Infrared";
constexpr const char* SettingsPath = "Software\\ORVEX\\GetUtil\\v3.0";
constexpr const char* SettingsTop = "Software\\ORVEX";

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct RawValue {
    DWORD type = 0;
    std::string bytes;
};

std::optional<RawValue> ReadRaw(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    char data[4096];
    DWORD size = sizeof data;
    RawValue value;
    const LONG status = RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.bytes.assign(data, size);
    return value;
}

void WriteRaw(HKEY root, const char* path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void WriteNumber(HKEY root, const char* path, const char* name, DWORD number) {
    WriteRaw(root, path, name, REG_DWORD, &number, sizeof number);
}

void WriteText(HKEY root, const char* path, const char* name, const std::string& text) {
    WriteRaw(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

std::optional<DWORD> ReadNumber(HKEY root, const char* path, const char* name) {
    auto value = ReadRaw(root, path, name);
    if (!value || value->type != REG_DWORD || value->bytes.size() != sizeof(DWORD)) return std::nullopt;
    DWORD number;
    std::memcpy(&number, value->bytes.data(), sizeof number);
    return number;
}

std::optional<std::string> ReadText(HKEY root, const char* path, const char* name) {
    auto value = ReadRaw(root, path, name);
    if (!value || value->type != REG_SZ) return std::nullopt;
    return std::string(value->bytes.c_str());
}

// A key whose access list is empty can be opened by nobody, its owner aside,
// who may still give the access back.
void SetAccess(HKEY root, const char* path, bool open) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
    ACL empty;
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, open ? nullptr : &empty, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
}

// Everyone may do `rights` on the key and nothing more; its owner may still
// give the access back.
void AllowOnly(HKEY root, const char* path, DWORD rights) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root, path, 0, WRITE_DAC, &key), ERROR_SUCCESS);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    alignas(DWORD) BYTE aclRoom[256];
    auto* acl = reinterpret_cast<ACL*>(aclRoom);
    InitializeAcl(acl, sizeof aclRoom, ACL_REVISION);
    AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
    FreeSid(everyone);
    RegCloseKey(key);
}

void RemoveTree(HKEY root, const char* path) {
    SetAccess(root, path, true);
    RegDeleteTreeA(root, path);
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        CloseSettings();
        savedPortName_ = ReadRaw(HKEY_LOCAL_MACHINE, EnumPath, "PortName");
        RemoveTree(HKEY_LOCAL_MACHINE, EnumTop);
        RemoveTree(HKEY_LOCAL_MACHINE, SettingsTop);
        RemoveTree(HKEY_CURRENT_USER, SettingsTop);
    }

    void TearDown() override {
        CloseSettings();
        RemoveTree(HKEY_LOCAL_MACHINE, SettingsTop);
        RemoveTree(HKEY_CURRENT_USER, SettingsTop);
        RemoveTree(HKEY_LOCAL_MACHINE, EnumTop);
        if (savedPortName_)
            WriteRaw(HKEY_LOCAL_MACHINE, EnumPath, "PortName", savedPortName_->type,
                     savedPortName_->bytes.data(), static_cast<DWORD>(savedPortName_->bytes.size()));
    }

    // Loads and closes at once, so that the registry can be inspected freely.
    static void Load() {
        LoadSettings();
        CloseSettings();
    }

private:
    std::optional<RawValue> savedPortName_;
};

TEST_F(Settings, FirstStartCreatesAllThreeKeysAndTheRepairedValues) {
    LoadSettings();
    EXPECT_NE(MachineSettingsKey, nullptr) << "the machine settings key stays open for the run";
    EXPECT_NE(UserSettingsKey, nullptr) << "the user settings key stays open for the run";
    CloseSettings();
    EXPECT_EQ(MachineSettingsKey, nullptr);
    EXPECT_EQ(UserSettingsKey, nullptr);

    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, EnumPath));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, SettingsPath));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, SettingsPath));

    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, SettingsPath, "ProgPath"), std::string(GetCommandLineA()));
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, SettingsPath, "ComPortSel"), 1u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "AutoUploadFlag"), 0u);
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, SettingsPath, "DisclosedFlag")) << "written only at close";
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, SettingsPath, "AppendFlag")) << "written only at close";
    EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, EnumPath, "PortName")) << "the port name is never written";

    EXPECT_STREQ(PortName, "");
    EXPECT_EQ(AutoUploadFlag, 0u);
    EXPECT_EQ(AppendFlag, 0u);
    EXPECT_EQ(DisclosedFlag, 0u);
}

TEST_F(Settings, ComPortSelKeepsZeroToFiveAndRepairsAnythingElseToOne) {
    struct Case {
        DWORD stored;
        DWORD expected;
    };
    for (Case c : {Case{5, 5}, Case{0, 0}, Case{6, 1}, Case{0xFFFFFFFF, 1}}) {
        WriteNumber(HKEY_LOCAL_MACHINE, SettingsPath, "ComPortSel", c.stored);
        Load();
        EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, SettingsPath, "ComPortSel"), c.expected) << "stored " << c.stored;
    }
    WriteText(HKEY_LOCAL_MACHINE, SettingsPath, "ComPortSel", "3");
    Load();
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, SettingsPath, "ComPortSel"), 1u) << "a number stored as text";
}

TEST_F(Settings, AutoUploadFlagAcceptsZeroOrOneAndRepairsAnythingElseToZero) {
    WriteNumber(HKEY_CURRENT_USER, SettingsPath, "AutoUploadFlag", 1);
    Load();
    EXPECT_EQ(AutoUploadFlag, 1u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "AutoUploadFlag"), 1u);

    WriteNumber(HKEY_CURRENT_USER, SettingsPath, "AutoUploadFlag", 2);
    Load();
    EXPECT_EQ(AutoUploadFlag, 0u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "AutoUploadFlag"), 0u);

    WriteText(HKEY_CURRENT_USER, SettingsPath, "AutoUploadFlag", "1");
    Load();
    EXPECT_EQ(AutoUploadFlag, 0u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "AutoUploadFlag"), 0u);
}

TEST_F(Settings, DisclosedAndAppendFlagsTakeAnyNumberAndAreNeverRepairedAtStart) {
    WriteNumber(HKEY_CURRENT_USER, SettingsPath, "DisclosedFlag", 7);
    WriteText(HKEY_CURRENT_USER, SettingsPath, "AppendFlag", "1");
    Load();
    EXPECT_EQ(DisclosedFlag, 7u);
    EXPECT_EQ(AppendFlag, 0u) << "a flag stored as text counts as missing";
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "DisclosedFlag"), 7u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, SettingsPath, "AppendFlag"), std::string("1")) << "left as it was";

    WriteNumber(HKEY_CURRENT_USER, SettingsPath, "AppendFlag", 1);
    Load();
    EXPECT_EQ(AppendFlag, 1u);
}

TEST_F(Settings, PortNameMustFitItsBufferWithItsTerminator) {
    WriteText(HKEY_LOCAL_MACHINE, EnumPath, "PortName", "COM3");
    Load();
    EXPECT_STREQ(PortName, "COM3");

    WriteText(HKEY_LOCAL_MACHINE, EnumPath, "PortName", "COM4567890");  // 10 characters
    Load();
    EXPECT_STREQ(PortName, "") << "a name too long for the buffer leaves no name";

    WriteText(HKEY_LOCAL_MACHINE, EnumPath, "PortName", "COM456789");  // 9, the longest that fits
    Load();
    EXPECT_STREQ(PortName, "COM456789");
}

TEST_F(Settings, PortNameWithoutATerminatorIsNoName) {
    const char unterminated[10] = {'C', 'O', 'M', '4', '5', '6', '7', '8', '9', '0'};
    WriteRaw(HKEY_LOCAL_MACHINE, EnumPath, "PortName", REG_SZ, unterminated, sizeof unterminated);
    Load();
    EXPECT_STREQ(PortName, "") << "10 bytes with no zero: REG_SZ";

    WriteRaw(HKEY_LOCAL_MACHINE, EnumPath, "PortName", REG_BINARY, unterminated, sizeof unterminated);
    Load();
    EXPECT_STREQ(PortName, "") << "10 bytes with no zero: REG_BINARY";

    WriteRaw(HKEY_LOCAL_MACHINE, EnumPath, "PortName", REG_BINARY, "COM5", 4);
    Load();
    // Fewer bytes than the buffer and no zero among them: still no name.
    EXPECT_STREQ(PortName, "");
}

TEST_F(Settings, ProgPathIsReplacedOnlyWhenUnreadable) {
    const std::string older = "C:\\Older\\Place\\glimmerly.exe";
    WriteText(HKEY_LOCAL_MACHINE, SettingsPath, "ProgPath", older);
    Load();
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, SettingsPath, "ProgPath"), older) << "a readable path is kept";

    WriteText(HKEY_LOCAL_MACHINE, SettingsPath, "ProgPath", std::string(255, 'x'));  // 256 with its zero
    Load();
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, SettingsPath, "ProgPath"), std::string(255, 'x'));

    WriteText(HKEY_LOCAL_MACHINE, SettingsPath, "ProgPath", std::string(256, 'x'));
    Load();
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, SettingsPath, "ProgPath"), std::string(GetCommandLineA()));

    WriteNumber(HKEY_LOCAL_MACHINE, SettingsPath, "ProgPath", 1);
    Load();
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, SettingsPath, "ProgPath"), std::string(GetCommandLineA()));
}

TEST_F(Settings, StoreOptionWritesOnlyWhileTheUserKeyIsOpen) {
    LoadSettings();
    StoreOption("DisclosedFlag", 1);
    StoreOption("AppendFlag", 0);
    CloseSettings();
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "DisclosedFlag"), 1u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "AppendFlag"), 0u);

    StoreOption("DisclosedFlag", 0);  // key closed: nothing happens
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "DisclosedFlag"), 1u);
}

TEST_F(Settings, WithoutAccessToTheMachineKeysTheUserSettingsStillLoadAndStore) {
    WriteText(HKEY_LOCAL_MACHINE, EnumPath, "PortName", "COM3");
    WriteNumber(HKEY_LOCAL_MACHINE, SettingsPath, "ComPortSel", 9);
    WriteNumber(HKEY_CURRENT_USER, SettingsPath, "DisclosedFlag", 7);
    SetAccess(HKEY_LOCAL_MACHINE, EnumTop, false);
    SetAccess(HKEY_LOCAL_MACHINE, SettingsTop, false);

    LoadSettings();
    EXPECT_STREQ(PortName, "") << "no port name without the enumeration key";
    EXPECT_EQ(MachineSettingsKey, nullptr);
    ASSERT_NE(UserSettingsKey, nullptr);
    EXPECT_EQ(DisclosedFlag, 7u);
    StoreOption("AppendFlag", 1);
    CloseSettings();

    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "AppendFlag"), 1u);
    SetAccess(HKEY_LOCAL_MACHINE, SettingsTop, true);
    EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, SettingsPath, "ComPortSel"), 9u) << "a key not open is not repaired";
}

TEST_F(Settings, LoadingAgainForgetsWhatAnEarlierLoadFound) {
    WriteText(HKEY_LOCAL_MACHINE, EnumPath, "PortName", "COM3");
    WriteNumber(HKEY_CURRENT_USER, SettingsPath, "DisclosedFlag", 1);
    Load();
    ASSERT_STREQ(PortName, "COM3");
    RemoveTree(HKEY_LOCAL_MACHINE, EnumTop);
    RemoveTree(HKEY_CURRENT_USER, SettingsTop);
    Load();
    EXPECT_STREQ(PortName, "");
    EXPECT_EQ(DisclosedFlag, 0u);
}

}  // namespace

namespace {

struct PortCase {
    const char* what;
    DWORD type;
    std::string bytes;  // stored as they are, terminator included where wanted
    const char* expected;
};

}  // namespace

// The user's own port beats the driver's when it is a usable text; anything
// else leaves the driver's port in use.
TEST_F(Settings, TheUsersOwnPortBeatsTheDriversWhenUsable) {
    WriteText(HKEY_LOCAL_MACHINE, EnumPath, "PortName", "COM3");
    const PortCase cases[] = {
        {"a usable text", REG_SZ, std::string("COM12", 6), "COM12"},
        {"no value", REG_NONE, "", "COM3"},
        {"empty text", REG_SZ, std::string("", 1), "COM3"},
        {"stored as binary", REG_BINARY, std::string("COM5", 5), "COM3"},
        {"expandable text", REG_EXPAND_SZ, std::string("COM5", 5), "COM3"},
        {"too long", REG_SZ, std::string("COM4567890", 11), "COM3"},
        {"a short text without terminator, which the read completes", REG_SZ, std::string("COM5"), "COM5"},
        {"ten characters without terminator", REG_SZ, std::string("COM4567890"), "COM3"},
        {"the longest that fits", REG_SZ, std::string("COM456789", 10), "COM456789"},
    };
    for (const PortCase& c : cases) {
        RemoveTree(HKEY_CURRENT_USER, SettingsTop);
        if (c.type != REG_NONE)
            WriteRaw(HKEY_CURRENT_USER, SettingsPath, "PortName", c.type, c.bytes.data(),
                     static_cast<DWORD>(c.bytes.size()));
        Load();
        EXPECT_STREQ(PortName, c.expected) << c.what;
        EXPECT_STREQ(DriverPortName, "COM3") << c.what;
        char read[PortNameSize];
        ReadStoredPortInUse(read);
        EXPECT_STREQ(read, c.expected) << c.what << ": the command line's read-only face agrees";
    }
}

TEST_F(Settings, TheReadOnlyFaceCreatesNothingAndNeedsNoMoreThanQueryRights) {
    char name[PortNameSize];
    EXPECT_FALSE(ReadStoredPortInUse(name));
    EXPECT_STREQ(name, "");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, SettingsPath)) << "no key is created";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, EnumPath)) << "no key is created";

    WriteText(HKEY_LOCAL_MACHINE, EnumPath, "PortName", "COM3");
    WriteText(HKEY_CURRENT_USER, SettingsPath, "PortName", "COM12");
    AllowOnly(HKEY_CURRENT_USER, SettingsPath, KEY_QUERY_VALUE);
    EXPECT_TRUE(ReadStoredPortInUse(name));
    EXPECT_STREQ(name, "COM12") << "the user's key opens with query rights alone";
    SetAccess(HKEY_CURRENT_USER, SettingsPath, true);
}

TEST_F(Settings, ChoosingAPortStoresItAndAutoRemovesItEvenWithoutTheUsersKey) {
    WriteText(HKEY_LOCAL_MACHINE, EnumPath, "PortName", "COM3");
    LoadSettings();
    EXPECT_TRUE(ChooseUserPort("COM6"));
    EXPECT_STREQ(PortName, "COM6");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, SettingsPath, "PortName"), std::string("COM6"));
    EXPECT_FALSE(ChooseUserPort("COM6")) << "the port in use did not change";
    EXPECT_TRUE(ChooseUserPort(nullptr));
    EXPECT_STREQ(PortName, "COM3");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, SettingsPath, "PortName"));

    SCOPED_TRACE("the user's key is not open: the choice holds for this run");
    CloseSettings();
    EXPECT_TRUE(ChooseUserPort("COM9"));
    EXPECT_STREQ(PortName, "COM9");
    EXPECT_FALSE(RefreshPortName()) << "a tick's re-read keeps the unsaved choice";
    EXPECT_STREQ(PortName, "COM9");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, SettingsPath, "PortName"));
}

TEST_F(Settings, FullWindowIsOnlyAStoredZeroOrOneAndIsNeverRepaired) {
    struct Case {
        DWORD stored;
        uint32_t expected;
    };
    for (Case c : {Case{1, 1}, Case{0, 0}, Case{2, 0}, Case{0xFFFFFFFF, 0}}) {
        WriteNumber(HKEY_CURRENT_USER, SettingsPath, "FullWindow", c.stored);
        Load();
        EXPECT_EQ(FullWindowFlag, c.expected) << "stored " << c.stored;
        EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "FullWindow"), c.stored);
    }
    WriteText(HKEY_CURRENT_USER, SettingsPath, "FullWindow", "1");
    Load();
    EXPECT_EQ(FullWindowFlag, 0u) << "a number stored as text";
}

TEST_F(Settings, WindowPositionIsSignedAndNeedsBothCoordinates) {
    Load();
    EXPECT_FALSE(SavedWindowPosition.known) << "nothing stored yet";
    WriteNumber(HKEY_CURRENT_USER, SettingsPath, "WindowLeft", static_cast<DWORD>(-1280));
    Load();
    EXPECT_FALSE(SavedWindowPosition.known) << "the left edge alone is no place";
    WriteNumber(HKEY_CURRENT_USER, SettingsPath, "WindowTop", 40);
    Load();
    EXPECT_TRUE(SavedWindowPosition.known);
    EXPECT_EQ(SavedWindowPosition.left, -1280) << "a monitor left of the main one";
    EXPECT_EQ(SavedWindowPosition.top, 40);

    LoadSettings();
    SaveWindowPosition(-7, -300);
    CloseSettings();
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, SettingsPath, "WindowTop"), static_cast<DWORD>(-300));
    Load();
    EXPECT_EQ(SavedWindowPosition.left, -7);
}

TEST(StartWithWindows, TheTickFollowsWhetherTheRunValueStartsThisExecutable) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_EQ(SetStartWithWindows(false), ERROR_SUCCESS);
    EXPECT_FALSE(StartsWithWindows());
    EXPECT_EQ(SetStartWithWindows(false), ERROR_SUCCESS) << "removing what is not there is done";
    ASSERT_EQ(SetStartWithWindows(true), ERROR_SUCCESS);
    EXPECT_TRUE(StartsWithWindows());
    wchar_t stored[MAX_PATH + 3] = L"";
    DWORD size = sizeof stored;
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Glimmerly",
                 RRF_RT_REG_SZ, nullptr, stored, &size);
    EXPECT_EQ(std::wstring(stored), L"\"" + std::wstring(self) + L"\"");
    ASSERT_EQ(SetStartWithWindows(false), ERROR_SUCCESS);
    EXPECT_FALSE(StartsWithWindows());

    struct Case {
        const wchar_t* command;
        bool starts;
    };
    const Case cases[] = {
        {L"\"C:\\Tools\\Glimmerly.exe\"", true},
        {L"  \"c:\\tools\\GLIMMERLY.EXE\" /full", true},
        {L"C:\\Tools\\Glimmerly.exe /compact", true},
        {L"C:\\Tools\\Glimmerly.exe  ", true},
        {L"\"C:\\Tools\\Glimmerly.exe", false},  // no closing quote
        {L"\"C:\\Other\\Glimmerly.exe\"", false},
        {L"C:\\Tools\\Glimmerly.exe.bak", false},
        {L"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunCommandStarts(c.command, L"C:\\Tools\\glimmerly.exe"), c.starts) << c.command;
    }
    EXPECT_TRUE(RunCommandStarts(L"C:\\My Tools\\glimmerly.exe", L"C:\\My Tools\\glimmerly.exe"))
        << "unquoted, with a space in the path";
}
