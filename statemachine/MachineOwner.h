// What a machine knows of the object it steers, without knowing what kind of object that is: the
// name it sends and receives under, whether it is gone, the stack command it asked for, and where
// the object's battle keeps the router and trace log its machines use.
#pragma once

#include <string>
#include <utility>

class MessageRouter;
class TraceLog;

class MachineOwner {
 public:
  // Machine-stack commands queued by machines and carried out at the start of the next update.
  static constexpr int kCommandNone = 0;
  static constexpr int kCommandRestart = 1;
  static constexpr int kCommandPop = 6;

  explicit MachineOwner(std::string ownerName) : name(std::move(ownerName)) {}
  virtual ~MachineOwner() = default;
  MachineOwner(const MachineOwner&) = delete;
  MachineOwner& operator=(const MachineOwner&) = delete;

  // Null for an object that belongs to no battle: its machines then send nothing and log nothing.
  virtual MessageRouter* Router() const { return nullptr; }
  virtual TraceLog* Trace() const { return nullptr; }

  // The first request of a frame wins.
  void QueueMachineCommand(int code) {
    if (pendingCommand == kCommandNone) pendingCommand = code;
  }

  std::string name;
  int pendingCommand = kCommandNone;
  bool removed = false;
};
