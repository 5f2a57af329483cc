#pragma once
// Pictures of the production at chosen times for the timeline page, made by the capture tool
// beside this program, each as a PNG data: address the page carries in itself.
#include <string>
#include <vector>

struct Thumbnail {
  double seconds = 0;
  std::string image;  // "data:image/png;base64,..."
};

// Times to picture when the author names none: `count` spread over the music, ends left out.
std::vector<double> SpreadTimes(double seconds, int count);

// One picture a time of the production in `folder` (an absolute path). Times are taken to a
// tenth of a second, the capture's frame step here. `note` says why pictures are missing: no
// capture tool beside this one, or a capture that failed (with its last words).
std::vector<Thumbnail> CaptureThumbnails(const std::string& folder,
                                         const std::vector<double>& times, std::string& note);

// `bytes` as base64 (RFC 4648, with padding).
std::string Base64(const std::vector<unsigned char>& bytes);
