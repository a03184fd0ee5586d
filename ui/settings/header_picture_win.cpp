#include "ui/settings/header_picture_win.h"

#include "support/resources/resource_archive.h"
#include "wallpaper/image/bt_image.h"

namespace {
constexpr const char* kHeaderMember = "header_graphic.png";
}

HeaderPicture::HeaderPicture() = default;
HeaderPicture::~HeaderPicture() = default;

bool HeaderPicture::Load(const std::string& programPath) {
  image.reset();
  ResourceArchive archive;
  if (!archive.Open(programPath)) return false;
  const std::int32_t size = archive.SizeOf(kHeaderMember);
  const std::uint8_t* bytes = archive.Load(kHeaderMember);
  if (!bytes || size <= 0) return false;
  auto decoded = std::make_unique<BTCImageObject>();
  const int codec = decoded->Load(bytes, static_cast<size_t>(size));
  archive.FreeAll();
  archive.Close();
  if (codec < 0 || decoded->GetObjectDataPtr()->GetWidth() <= 0) return false;
  image = std::move(decoded);
  return true;
}

bool HeaderPicture::Loaded() const { return image != nullptr; }

SIZE HeaderPicture::Size() const {
  if (!image) return {0, 0};
  BTCImageData* data = image->GetObjectDataPtr();
  return {data->GetWidth(), data->GetHeight()};
}

void HeaderPicture::Paint(HDC dc, const RECT& target) {
  if (image) image->GetObjectDataPtr()->Stretch(dc, &target, nullptr);
}
