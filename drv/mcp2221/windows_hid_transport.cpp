// The MCP2221 through Windows' own HID driver: the HID interfaces SetupAPI lists, the one whose
// attributes say 04D8:00DD (and whose serial number matches, when one is asked for), opened for
// this program alone. Reports go with the report number 0 in front, as Windows wants for a
// device that numbers none.
#include "drv/common/windows_text.h"
#include "drv/mcp2221/hid_transport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>
// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on
extern "C" { // MinGW's hidsdi.h declares the functions for C alone
#include <hidsdi.h>
}

namespace lumivex::mcp2221 {

namespace {

constexpr USHORT bridge_vendor = 0x04D8;
constexpr USHORT bridge_product = 0x00DD;
constexpr DWORD answer_timeout_ms = 500; // the chip answers within a few USB frames

int errno_of(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
        return EBUSY;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_FILE_NOT_FOUND:
        return ENODEV;
    default:
        return EIO;
    }
}

// The device paths of the HID interfaces there are.
std::vector<std::wstring> hid_interfaces() {
    GUID hid;
    HidD_GetHidGuid(&hid);
    std::vector<std::wstring> paths;
    const HDEVINFO set =
        SetupDiGetClassDevsW(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return paths;
    SP_DEVICE_INTERFACE_DATA entry{};
    entry.cbSize = sizeof entry;
    for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hid, index, &entry); ++index) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &entry, nullptr, 0, &size, nullptr);
        std::vector<char> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof *detail;
        if (size > sizeof *detail &&
            SetupDiGetDeviceInterfaceDetailW(set, &entry, detail, size, nullptr, nullptr))
            paths.emplace_back(detail->DevicePath);
    }
    SetupDiDestroyDeviceInfoList(set);
    return paths;
}

// Whether the interface at `path` is a bridge with the serial number `serial` (any when empty),
// asked without opening it for reading or writing.
bool is_bridge(const std::wstring& path, const std::string& serial) {
    const HANDLE device = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    wchar_t number[128] = L"";
    bool match = HidD_GetAttributes(device, &attributes) && attributes.VendorID == bridge_vendor &&
                 attributes.ProductID == bridge_product;
    if (match && !serial.empty())
        match = HidD_GetSerialNumberString(device, number, sizeof number - sizeof number[0]) &&
                drv::utf8_from_wide(number) == serial;
    CloseHandle(device);
    return match;
}

class WindowsHidTransport final : public HidTransport {
public:
    int open(const std::string& serial) override {
        close();
        for (const std::wstring& path : hid_interfaces()) {
            if (!is_bridge(path, serial))
                continue;
            // Shared with none: two programs on one bridge would take each other's answers.
            device_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
            if (device_ == INVALID_HANDLE_VALUE)
                return errno_of(GetLastError());
            event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (event_ == nullptr) {
                const int error = errno_of(GetLastError());
                close();
                return error;
            }
            return 0;
        }
        return ENODEV;
    }

    int send(const Report& report) override {
        std::array<std::uint8_t, 65> numbered{};
        std::copy(report.begin(), report.end(), numbered.begin() + 1);
        return transfer(false, numbered);
    }

    int receive(Report& report) override {
        std::array<std::uint8_t, 65> numbered{};
        const int error = transfer(true, numbered);
        std::copy(numbered.begin() + 1, numbered.end(), report.begin());
        return error;
    }

    void close() override {
        if (device_ != INVALID_HANDLE_VALUE)
            CloseHandle(device_);
        if (event_ != nullptr)
            CloseHandle(event_);
        device_ = INVALID_HANDLE_VALUE;
        event_ = nullptr;
    }

private:
    // One report each way, given up after the time a working bridge takes.
    int transfer(bool read, std::array<std::uint8_t, 65>& report) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event_;
        ResetEvent(event_);
        const DWORD size = static_cast<DWORD>(report.size());
        const bool started = read ? ReadFile(device_, report.data(), size, nullptr, &overlapped)
                                  : WriteFile(device_, report.data(), size, nullptr, &overlapped);
        if (!started && GetLastError() != ERROR_IO_PENDING)
            return errno_of(GetLastError());
        if (WaitForSingleObject(event_, answer_timeout_ms) != WAIT_OBJECT_0) {
            CancelIo(device_);
            DWORD ignored = 0;
            GetOverlappedResult(device_, &overlapped, &ignored, TRUE);
            return ETIMEDOUT;
        }
        DWORD done = 0;
        return GetOverlappedResult(device_, &overlapped, &done, FALSE) ? 0
                                                                       : errno_of(GetLastError());
    }

    HANDLE device_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
};

} // namespace

HidTransport& system_hid_transport() {
    static WindowsHidTransport transport;
    return transport;
}

} // namespace lumivex::mcp2221
