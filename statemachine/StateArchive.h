// What visits a battle's state: every class that holds some lists its fields once, in a Walk that
// takes an archive, and the archives do the rest (hash it, print it, write it to a file, read it
// back). A walk hands each field by reference, so the one list serves reading as well as writing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "math/Vector3.h"

class StateArchive {
 public:
  virtual ~StateArchive() = default;

  // True for an archive that fills the fields it visits: lists must then be sized from the count
  // it gives, and objects made before they are walked.
  virtual bool Reading() const { return false; }
  // Names the part of the battle whose fields follow ("object", "Archer 7"), for a readable dump.
  virtual void Place(std::string_view /*kind*/, std::string_view /*name*/) {}

  virtual void Int(const char* name, int& value) = 0;
  virtual void Word(const char* name, std::uint32_t& value) = 0;
  virtual void Wide(const char* name, std::uint64_t& value) = 0;
  virtual void Float(const char* name, float& value) = 0;
  virtual void Flag(const char* name, bool& value) = 0;
  virtual void Text(const char* name, std::string& value) = 0;
  // How many elements follow. A reader refuses a count that more than fits in what is left of its
  // input (each element takes at least smallest bytes), so no list is sized from a lie.
  virtual void Count(const char* name, std::uint32_t& count, std::uint32_t smallest) = 0;
  // What kind of thing follows (a machine's kind name): walked as text, but not a field of its own.
  virtual void Kind(const char* name, std::string& kind) { Text(name, kind); }
  // False once a reader met input it refuses; every later value is then left alone.
  virtual bool Good() const { return true; }
  // A reader's refusal of what the walk itself found wrong (a machine of an unknown kind).
  virtual void Refuse(const std::string& /*reason*/) {}

  // An integer that indexes a table: read, one outside low..high refuses the input, as a battle
  // could not run with it.
  void Index(const char* name, int& value, int low, int high) {
    Int(name, value);
    if (Reading() && (value < low || value > high)) {
      Refuse(std::string(name) + " is " + std::to_string(value) + ", outside " + std::to_string(low) + " to " +
             std::to_string(high));
    }
  }
  // A point's three coordinates, in the order x, y, z; a dump names each of them.
  virtual void Point(const char* name, Vector3& point) {
    Float(name, point.x);
    Float(name, point.y);
    Float(name, point.z);
  }
  // Words kept for the user's reports (a forfeit's reason, which names a script where it lies):
  // written and read with the battle, but no part of what makes two battles the same one.
  virtual void Words(const char* name, std::string& words) { Text(name, words); }
  // A fixed-size character field, walked as the text it holds (cut to fit when read).
  template <std::size_t N>
  void Chars(const char* name, char (&chars)[N]) {
    std::string text(chars);
    Text(name, text);
    const std::size_t kept = text.size() < N ? text.size() : N - 1;
    text.copy(chars, kept);
    chars[kept] = '\0';
  }
  // Any integer-valued enum.
  template <class Choice>
  void Enum(const char* name, Choice& value) {
    int number = static_cast<int>(value);
    Int(name, number);
    value = static_cast<Choice>(number);
  }
  // A container's size: read, it resizes the container (every element then walked in place).
  template <class List>
  void Size(const char* name, List& list, std::uint32_t smallest) {
    auto count = static_cast<std::uint32_t>(list.size());
    Count(name, count, smallest);
    if (Reading() && Good()) list.resize(count);
  }
};
