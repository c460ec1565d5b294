#include "input_record.h"

namespace typomancer {
namespace {

template <typename T>
void PutLittleEndian(std::array<std::uint8_t, kInputRecordSize32>& out, std::size_t offset, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

}  // namespace

std::array<std::uint8_t, kInputRecordSize32> ToInput32Bytes(const InputRecord& record) {
    std::array<std::uint8_t, kInputRecordSize32> bytes{};
    PutLittleEndian(bytes, 0, record.type);
    PutLittleEndian(bytes, 4, record.wVk);
    PutLittleEndian(bytes, 6, record.wScan);
    PutLittleEndian(bytes, 8, record.dwFlags);
    PutLittleEndian(bytes, 12, record.time);
    PutLittleEndian(bytes, 16, record.dwExtraInfo);
    // Bytes 20 to 27, the rest of the union, stay zero.
    return bytes;
}

}  // namespace typomancer
