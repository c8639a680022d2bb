// One open scanner: what it offers, its options set from a request, and its
// scans, page by page. The device is opened in a SANE session of its own and
// released (scan cancelled, handle closed, library ended) when the object
// goes, on whatever thread that happens.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "SaneSession.h"
#include "ScanCancel.h"
#include "ScanTypes.h"
#include "image/DibImage.h"

namespace leaf::scan {

// Takes each scanned page (numbered from 0); false stops the batch there.
using PageHandler = std::function<bool(DibImage&& page, int index)>;
// What the scan is doing and how far it is, 0..100 (-1: not known).
using ScanProgress = std::function<void(const std::string& text, int percent)>;

class Scanner {
 public:
  // Opens the named device, or the first one found when the name is empty.
  // Null, with the reason in error, when there is none or it cannot be opened.
  static std::unique_ptr<Scanner> Open(const std::string& name, std::string& error);
  ~Scanner();
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  const std::string& name() const { return name_; }

  // The usual options as the device offers them now.
  ScannerCapabilities Capabilities() const;

  // Sets the request's options: source, mode (and bit depth), resolution,
  // area, then the device options in order. False, with a sentence naming
  // the option and what the device takes, at the first refusal.
  bool Apply(const ScanRequest& request, std::string& error);

  // True when the source in effect is a document feeder.
  bool FeederSelected() const;

  // Scans one page, or with allPages every page until the feeder is empty.
  // Each page goes to onPage as soon as it is complete. Ends the device's
  // scan in every case, so that the scanner is free again.
  ScanOutcome Scan(bool allPages, const PageHandler& onPage, const ScanProgress& progress,
                   ScanCancel& cancel);

 private:
  Scanner() = default;
  bool SetMode(const std::string& requested, std::string& error);
  bool SetSource(const std::string& requested, bool feeder, std::string& error);
  bool SetResolution(int dpi, std::string& error);
  bool SetArea(const ScanArea& area, std::string& error);
  void ReadResolution(int& xDpi, int& yDpi) const;
  // Reads one page; Ok, Cancelled, Failed, or Ok with no page when the
  // feeder ran out before it began (noPage).
  ScanOutcome ReadPage(int index, DibImage& page, bool& noPage, const ScanProgress& progress,
                       ScanCancel& cancel);

  std::unique_ptr<SaneSession> session_;
  void* handle_ = nullptr;
  std::string name_;
};

// The whole of one scan as the fronts run it, on any thread: opens the
// device, sets the request's options, scans (every feeder page when the
// request asks for all pages, or when a feeder is the source and
// feederBatch is set) and releases the device.
ScanOutcome AcquirePages(const ScanRequest& request, const PageHandler& onPage,
                         const ScanProgress& progress, ScanCancel& cancel,
                         bool feederBatch = false);

// What a device offers, for an options dialog: opens it (the first one found
// for an empty name), reads its capabilities and releases it. opened gets
// the device's name; false with the reason in error.
bool QueryScanner(const std::string& name, std::string& opened, ScannerCapabilities& caps,
                  std::string& error);

}  // namespace leaf::scan
