// Runs a Python script of this folder with Debian's python3 (which has
// openpyxl) on one workbook, and gives back what it printed.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "text/encoding.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace colsplit::testing {

// Runs tests/sheetlib/api/<script> with the workbook path (GBK) as its
// argument. Nothing when Python cannot be started from here: the Windows
// build starts it through Wine, which runs host programs and tells the
// host path of a file; on Windows itself there is no such Python.
inline std::optional<std::string> run_python(const std::string& script, const std::string& gbk_path) {
  const std::string folder = COLSPLIT_SOURCE_DIR "/tests/sheetlib/api/";
#ifdef _WIN32
  using UnixFileName = char*(CDECL*)(LPCWSTR);
  const auto unix_file_name = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unix_file_name) return std::nullopt;
  const auto host_path = [&](const std::string& gbk) -> std::wstring {
    char* name = unix_file_name(gbk_to_wide(gbk).c_str());
    if (!name) return {};
    const std::wstring path = utf8_to_wide(name);
    HeapFree(GetProcessHeap(), 0, name);
    return path;
  };
  const std::string output_path = gbk_path + ".out";
  std::wstring python = L"Z:" + utf8_to_wide(COLSPLIT_PYTHON);
  for (wchar_t& c : python) c = c == L'/' ? L'\\' : c;
  std::wstring command = L"\"" + python + L"\" \"" + utf8_to_wide(folder + "run_and_report.py") + L"\" \"" +
                         host_path(output_path) + L"\" \"" + utf8_to_wide(folder + script) + L"\" \"" +
                         host_path(gbk_path) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return std::nullopt;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const std::string end = "end\n";
  for (int wait = 0; wait < 300; ++wait) {
    std::ifstream file(std::filesystem::path(gbk_to_wide(output_path)), std::ios::binary);
    if (file) {
      std::string output((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      if (output.size() >= end.size() && output.compare(output.size() - end.size(), end.size(), end) == 0) {
        output.resize(output.size() - end.size());
        return output;
      }
    }
    Sleep(100);
  }
  return "(no output from Python)";
#else
  const std::string command =
      std::string(COLSPLIT_PYTHON) + " '" + folder + script + "' '" + gbk_to_utf8(gbk_path) + "' 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "(python did not start)";
  std::string output;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  pclose(pipe);
  return output;
#endif
}

}  // namespace colsplit::testing
