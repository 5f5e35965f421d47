#include "support/test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include <unicode/ucnv.h>

#include "store/os/paths.hpp"

namespace vestran::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  path_ = fs::temp_directory_path() / ("vestran-test-" + std::to_string(random()));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

fs::path TempDir::operator/(std::string_view name) const { return path_ / os::pathFromUtf8(name); }

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> listDir(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(utf8(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

std::string utf8(const fs::path& path) { return os::pathToUtf8(path); }

std::string encodeAs(std::string_view text, const char* encoding) {
  std::string out(text.size() * 4 + 8, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_convert(encoding, "UTF-8", out.data(), static_cast<int32_t>(out.size()),
                                 text.data(), static_cast<int32_t>(text.size()), &status);
  EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
  out.resize(static_cast<std::size_t>(std::max(n, 0)));
  // ICU puts a byte-order mark before UTF-16 that names no byte order; the named ones
  // get none.
  return out;
}

#ifdef _WIN32

namespace {

std::wstring wide(std::string_view s) { return os::pathFromUtf8(s).wstring(); }

// Quotes an argument as the C runtime of the child splits its command line.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring q = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"')
      q.append(backslashes * 2 + 1, L'\\');
    else
      q.append(backslashes, L'\\');
    backslashes = 0;
    q += c;
  }
  q.append(backslashes * 2, L'\\');
  return q + L"\"";
}

HANDLE inheritable(const fs::path& file, bool write) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  return ::CreateFileW(file.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Child::Child(const std::vector<std::string>& command, const Environment& env,
             std::string_view input, const fs::path& workingDirectory) {
  writeFile(io_ / "in", input);
  std::wstring line;
  for (const std::string& a : command) line += (line.empty() ? L"" : L" ") + quoted(wide(a));
  // This process's environment with the given variables set.
  std::vector<std::wstring> variables;
  wchar_t* block = ::GetEnvironmentStringsW();
  for (const wchar_t* v = block; *v; v += wcslen(v) + 1) variables.emplace_back(v);
  ::FreeEnvironmentStringsW(block);
  for (const auto& [name, value] : env) {
    const std::wstring key = wide(name) + L"=";
    std::erase_if(variables, [&](const std::wstring& v) {
      return _wcsnicmp(v.c_str(), key.c_str(), key.size()) == 0;
    });
    if (!value.empty()) variables.push_back(key + wide(value));
  }
  std::wstring environment;
  for (const std::wstring& v : variables) environment += v + L'\0';
  environment += L'\0';

  HANDLE in = inheritable(io_ / "in", false);
  HANDLE out = inheritable(io_ / "out", true);
  HANDLE err = inheritable(io_ / "err", true);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  const BOOL started = ::CreateProcessW(
      nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT, environment.data(),
      workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &si, &pi);
  ::CloseHandle(in);
  ::CloseHandle(out);
  ::CloseHandle(err);
  if (!started) {
    ADD_FAILURE() << "cannot start " << command.front();
    done_ = true;
    status_ = -1;
    return;
  }
  ::CloseHandle(pi.hThread);
  process_ = pi.hProcess;
}

int Child::wait() {
  if (done_) return status_;
  ::WaitForSingleObject(process_, INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  ::CloseHandle(process_);
  done_ = true;
  status_ = static_cast<int>(code);
  return status_;
}

void Child::kill() {
  if (!done_) ::TerminateProcess(process_, 137);
}

bool independentToolsHere() { return false; }

#else

Child::Child(const std::vector<std::string>& command, const Environment& env,
             std::string_view input, const fs::path& workingDirectory) {
  writeFile(io_ / "in", input);
  std::vector<std::string> variables;
  for (char** v = environ; *v; ++v) variables.emplace_back(*v);
  for (const auto& [name, value] : env) {
    std::erase_if(variables, [&](const std::string& v) { return v.starts_with(name + "="); });
    if (!value.empty()) variables.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);
  std::vector<std::string> args(command);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, (io_ / "in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (io_ / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, (io_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (!workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
  }
  const int error = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    ADD_FAILURE() << "cannot start " << command.front();
    done_ = true;
    status_ = -1;
  }
}

int Child::wait() {
  if (done_) return status_;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  done_ = true;
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return status_;
}

void Child::kill() {
  if (!done_) ::kill(pid_, SIGKILL);
}

bool independentToolsHere() { return true; }

#endif

Child::~Child() {
  if (!done_) {
    kill();
    wait();
  }
}

std::string Child::out() const { return readFile(io_ / "out"); }
std::string Child::err() const { return readFile(io_ / "err"); }

ProcessResult run(const std::vector<std::string>& command, std::string_view input,
                  const Environment& env, const fs::path& workingDirectory) {
  Child child(command, env, input, workingDirectory);
  ProcessResult result;
  result.exitCode = child.wait();
  result.out = child.out();
  result.err = child.err();
  return result;
}

FileHolder::FileHolder(const fs::path& file)
    : child_({VESTRAN_RETENER, utf8(file), utf8(signals_ / "listo"), utf8(signals_ / "suelta")}) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!fs::exists(signals_ / "listo") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  holding_ = readFile(signals_ / "listo") == "y";
  EXPECT_TRUE(holding_) << "the helper could not hold " << utf8(file);
}

FileHolder::~FileHolder() {
  if (letGo_.joinable()) {
    letGo_.join();
  } else {
    writeFile(signals_ / "suelta", "");
  }
  child_.wait();
}

void FileHolder::letGoAfter(std::chrono::milliseconds pause) {
  letGo_ = std::thread([this, pause] {
    std::this_thread::sleep_for(pause);
    writeFile(signals_ / "suelta", "");
  });
}

std::vector<std::string> tdbfDump(const fs::path& table) {
  const ProcessResult dump = run({VESTRAN_DBFDUMP, utf8(table)});
  EXPECT_EQ(dump.exitCode, 0) << dump.err;
  std::vector<std::string> lines;
  std::istringstream in(iconv(dump.out, "WINDOWS-1252", "UTF-8"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void tdbfWrite(const fs::path& table, int level, std::string_view layout) {
  const ProcessResult r = run({VESTRAN_DBFWRITE, utf8(table), std::to_string(level)},
                              iconv(layout, "UTF-8", "WINDOWS-1252"));
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
}

std::string python(std::string_view program, const std::vector<std::string>& args) {
  std::vector<std::string> command{VESTRAN_PYTHON, "-"};
  command.insert(command.end(), args.begin(), args.end());
  const ProcessResult r = run(command, program);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return r.out;
}

std::string iconv(std::string_view bytes, std::string_view from, std::string_view to) {
  const ProcessResult r =
      run({VESTRAN_ICONV, "-f", std::string(from), "-t", std::string(to)}, bytes);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return r.out;
}

}  // namespace vestran::test
