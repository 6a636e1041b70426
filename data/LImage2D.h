#pragma once
// One 2-D image file (an en-face projection, an optic-disc image, a slice of an imported
// stack) loaded through FreeImage, which recognises the format from the file's content,
// and split into separate pixel planes with row 0 at the top of the picture: pixel (x, y)
// is element x + width * y. Which planes exist follows the image's kind: 8-bit grey (and
// palette images, taken through their palette), 16-bit grey, 24-bit colour and 32-bit
// colour with alpha; images of any other kind load but offer no plane.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FIBITMAP;

class LImage2D {
public:
  LImage2D();
  ~LImage2D();
  LImage2D(const LImage2D&) = delete;
  LImage2D& operator=(const LImage2D&) = delete;

  // 0, or -1 when FreeImage cannot load the file (the object is then not loaded).
  [[nodiscard]] int Load(const std::string& path);

  // The value, or -2 when not loaded.
  int GetWidth() const { return m_Loaded ? m_Width : -2; }
  int GetHeight() const { return m_Loaded ? m_Height : -2; }
  int GetBitsPerPixel() const { return m_Loaded ? m_BitsPerPixel : -2; }

  // The plane, or nullptr when the loaded image has no such plane.
  const uint8_t* GetPlane8() const { return PlaneOrNull(m_Plane8); }
  const uint16_t* GetPlane16() const { return PlaneOrNull(m_Plane16); }
  const uint8_t* GetRedPlane() const { return PlaneOrNull(m_Red); }
  const uint8_t* GetGreenPlane() const { return PlaneOrNull(m_Green); }
  const uint8_t* GetBluePlane() const { return PlaneOrNull(m_Blue); }

  // An image handed from one process to another (the decoder helper decodes, the program
  // keeps the planes): its description, and its planes laid one after another in the order
  // 8-bit, 16-bit, red, green, blue, alpha.
  struct Description {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t fileType = -1;
    uint32_t planes = 0;  // bit i set: plane i of that order is present
  };
  Description Describe() const;
  size_t PlaneBytes() const;
  void CopyPlanes(uint8_t* to) const;
  // Holds the described image with its planes copied from `from`; false, and nothing held,
  // when the description does not fit the bytes given.
  [[nodiscard]] bool Adopt(const Description& image, const uint8_t* from, size_t bytes);

private:
  struct BitmapUnloader {
    void operator()(FIBITMAP* bitmap) const;
  };
  using Bitmap = std::unique_ptr<FIBITMAP, BitmapUnloader>;

  template <typename T>
  static const T* PlaneOrNull(const std::vector<T>& plane) { return plane.empty() ? nullptr : plane.data(); }
  void Unload();
  void SplitPlanes();
  // Calls visit(index, plane) for each plane in the order of Description::planes.
  template <typename Self, typename Visit> static void ForEachPlane(Self& self, Visit visit);

  bool m_Loaded = false;
  int32_t m_Width = 0;
  int32_t m_Height = 0;
  int32_t m_BitsPerPixel = 0;
  std::vector<uint8_t> m_Plane8;
  std::vector<uint16_t> m_Plane16;
  std::vector<uint8_t> m_Red;
  std::vector<uint8_t> m_Green;
  std::vector<uint8_t> m_Blue;
  std::vector<uint8_t> m_Alpha;  // kept with the image; no caller reads it
  Bitmap m_Bitmap;
  int m_FileType = -1;  // FreeImage's format code of the loaded file
};
