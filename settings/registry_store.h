#pragma once
// The few registry operations that loading and saving the settings need, so that
// their rules can be tested without Windows. The Windows store is the real key.
#include <cstdint>
#include <string>

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;
  // Opens the settings key for reading; returns the registry result (0 = success).
  virtual int32_t OpenForRead() = 0;
  // Creates or opens the settings key for writing; returns the registry result.
  virtual int32_t CreateForWrite() = 0;
  // Returns the registry result of closing the open key.
  virtual int32_t Close() = 0;
  // Reads at most 4 bytes of any type into `value` (the bytes the value has,
  // little-endian, over zeros); false when the value is missing or longer.
  virtual bool QueryDword(const char* name, uint32_t& value) = 0;
  // Reads a string through a zero-filled 1024-byte buffer; false when the value
  // is missing or does not fit with its terminating zero.
  virtual bool QueryString(const char* name, std::string& value) = 0;
  virtual void SetDword(const char* name, uint32_t value) = 0;
  // REG_SZ written with the string's length, no terminating zero counted.
  virtual void SetString(const char* name, const std::string& value) = 0;
};
