#include "child_process.h"

#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace colsplit::testing {

namespace {

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef _WIN32
HANDLE inheritable_output(const std::filesystem::path& path) {
  SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

int run_and_wait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& directory, const std::filesystem::path& out,
                 const std::filesystem::path& err) {
  std::wstring command = L"\"" + program.wstring() + L"\"";
  for (const std::string& argument : arguments) command += L" " + std::wstring(argument.begin(), argument.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = inheritable_output(out);
  startup.hStdError = inheritable_output(err);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      directory.c_str(), &startup, &process);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!started) return -1000;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
#else
int run_and_wait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& directory, const std::filesystem::path& out,
                 const std::filesystem::path& err) {
  const pid_t child = fork();
  if (child < 0) return -1000;
  if (child == 0) {
    const int out_file = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_file = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out_file < 0 || err_file < 0 || dup2(out_file, 1) < 0 || dup2(err_file, 2) < 0 ||
        chdir(directory.c_str()) != 0)
      _exit(126);
    std::vector<char*> argv;
    std::string name = program.string();
    argv.push_back(name.data());
    std::vector<std::string> copies(arguments);
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(name.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1000;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - WTERMSIG(status);
}
#endif

}  // namespace

ChildResult run_child(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      const std::filesystem::path& directory) {
  const std::filesystem::path out = directory / "child.out";
  const std::filesystem::path err = directory / "child.err";
  ChildResult result;
  result.exit_code = run_and_wait(program, arguments, directory, out, err);
  result.out = read_file(out);
  result.err = read_file(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return result;
}

}  // namespace colsplit::testing
