// Identifiers of the main window and its controls. The end-to-end probe finds controls by
// these, so they are fixed.
#pragma once

namespace typomancer {

constexpr wchar_t kMainWindowClass[] = L"TypomancerMainWindow";
constexpr wchar_t kPictureClass[] = L"TypomancerPicture";

constexpr int kIdTxtScript = 100;
constexpr int kIdCmdRun = 101;
constexpr int kIdTxtWait = 102;
constexpr int kIdPicture1 = 110;
constexpr int kIdPicture2 = 111;
constexpr int kIdLabel3 = 113;
constexpr int kIdLabel4 = 114;
constexpr int kIdLabel5 = 115;
constexpr int kIdLabel6 = 116;
// The palette button with index i (0 to 24) has the identifier kIdCmdFirst + i.
constexpr int kIdCmdFirst = 200;
constexpr int kCmdCount = 25;

}  // namespace typomancer
