#include "child_process.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstring>
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

// Quoted when it holds a space; the arguments the tests pass hold no quotes.
std::wstring command_line_argument(const std::string& argument) {
  const std::wstring wide(argument.begin(), argument.end());
  return argument.find(' ') == std::string::npos && !argument.empty() ? wide : L"\"" + wide + L"\"";
}

// A job that holds the child to the memory limit and ends it when the job's
// handle closes.
HANDLE limiting_job(const ChildLimits& limits) {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
  info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (limits.memory_bytes) {
    info.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    info.ProcessMemoryLimit = static_cast<SIZE_T>(std::min<std::uint64_t>(limits.memory_bytes, SIZE_MAX));
  }
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &info, sizeof info);
  return job;
}

// Why a start failed, for the test's failure text: the code and the system's words.
std::string start_error(DWORD code, int attempts) {
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                 nullptr);
  std::string words(text);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) words.pop_back();
  return "CreateProcessW failed " + std::to_string(attempts) + " time(s), last with error " + std::to_string(code) +
         (words.empty() ? "" : " (" + words + ")") + "\n";
}

// Errors that another attempt cannot cure: the program is not there or is
// not one this system runs.
bool lasting_start_error(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_BAD_EXE_FORMAT ||
         code == ERROR_INVALID_NAME || code == ERROR_DIRECTORY || code == ERROR_EXE_MACHINE_TYPE_MISMATCH;
}

int run_and_wait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& directory, const std::filesystem::path& out,
                 const std::filesystem::path& err, const ChildLimits& limits, bool& timed_out,
                 std::string& failure) {
  std::wstring command = L"\"" + program.wstring() + L"\"";
  for (const std::string& argument : arguments) command += L" " + command_line_argument(argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = inheritable_output(out);
  startup.hStdError = inheritable_output(err);
  PROCESS_INFORMATION process{};
  // Under Wine a start fails now and then for a moment only (once in two
  // full runs of the 64-bit build, starting the test program itself): the
  // new process's loader cannot yet reserve its memory
  // (ERROR_NOT_ENOUGH_MEMORY), or a program file just written is still held
  // (ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION). A few attempts, each
  // after a longer pause (1.5 s in all), get past that; a program that is
  // not there fails at once.
  BOOL started = FALSE;
  DWORD error = 0;
  int attempts = 0;
  for (DWORD pause = 100; !started && attempts < 5; pause *= 2) {
    if (attempts) Sleep(pause);
    ++attempts;
    started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                             directory.c_str(), &startup, &process);
    if (started) break;
    error = GetLastError();
    if (lasting_start_error(error)) break;
  }
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!started) {
    failure = start_error(error, attempts);
    return -1000;
  }
  if (attempts > 1) std::fprintf(stderr, "child process started at attempt %d, after error %lu\n", attempts, error);
  HANDLE job = limiting_job(limits);
  if (job) AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  const DWORD wait = limits.seconds ? limits.seconds * 1000 : INFINITE;
  if (WaitForSingleObject(process.hProcess, wait) == WAIT_TIMEOUT) {
    timed_out = true;
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (job) CloseHandle(job);
  return static_cast<int>(code);
}
#else
int run_and_wait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& directory, const std::filesystem::path& out,
                 const std::filesystem::path& err, const ChildLimits& limits, bool& timed_out,
                 std::string& failure) {
  const pid_t child = fork();
  if (child < 0) {
    failure = std::string("fork failed: ") + std::strerror(errno) + "\n";
    return -1000;
  }
  if (child == 0) {
    // Both limits outlive the exec; the alarm's default action ends the child.
    if (limits.memory_bytes) {
      const rlimit memory{static_cast<rlim_t>(limits.memory_bytes), static_cast<rlim_t>(limits.memory_bytes)};
      if (setrlimit(RLIMIT_AS, &memory) != 0) _exit(125);
    }
    if (limits.seconds) alarm(limits.seconds);
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
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) timed_out = true;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - WTERMSIG(status);
}
#endif

}  // namespace

ChildResult run_child(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      const std::filesystem::path& directory, const ChildLimits& limits) {
  const std::filesystem::path out = directory / "child.out";
  const std::filesystem::path err = directory / "child.err";
  ChildResult result;
  std::string failure;  // why the child did not start
  result.exit_code = run_and_wait(program, arguments, directory, out, err, limits, result.timed_out, failure);
  result.out = read_file(out);
  result.err = read_file(err) + failure;
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return result;
}

}  // namespace colsplit::testing
