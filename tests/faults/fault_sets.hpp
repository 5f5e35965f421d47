#pragma once

// Two schools, A and B, their tables as reference exports wrote them, and how a planner
// folder's state compares with them: the fault tests ask, after a kill or a race, which
// set the folder holds.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vestran::test {

using Files = std::map<std::string, std::string>;  // name -> bytes

// Where an export keeps the set it replaced.
inline constexpr const char* kEarlierTables = "vestran-tablas-anteriores";

// The files of a folder that are vestran's temporaries or its staging folder.
std::vector<std::string> litterIn(const std::filesystem::path& dir);

enum class State { setA, setB, mixed, none };
const char* nameOf(State s);

class TwoSchools {
 public:
  // Writes documents A and B of `sessions` sessions each (B has one more teacher and two
  // frames) and exports each once into a reference folder; A's folder gets a SOLUC too.
  explicit TwoSchools(const std::filesystem::path& work, int sessions);

  const std::filesystem::path& documentA() const { return documentA_; }
  const std::filesystem::path& documentB() const { return documentB_; }
  // A planner folder holding set A and its SOLUC, made afresh.
  void plannerWithA(const std::filesystem::path& dir) const;
  State stateOf(const std::filesystem::path& dir) const;
  // The set kept as the earlier generation, for a restore.
  State earlierStateOf(const std::filesystem::path& dir) const;

  // The import result of document A over each set's tables with A's SOLUC.
  const std::string& resultOverA() const { return resultOverA_; }
  const std::string& resultOverB() const { return resultOverB_; }

 private:
  std::filesystem::path work_;
  std::filesystem::path documentA_;
  std::filesystem::path documentB_;
  Files setA_;
  Files setB_;
  std::string resultOverA_;
  std::string resultOverB_;
};

}  // namespace vestran::test
