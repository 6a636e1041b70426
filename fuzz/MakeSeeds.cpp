// Writes the seed inputs of the fuzzing harnesses: for each harness a folder of small valid
// files of its route, made by the program's own writers where it has them and by the
// libraries of the formats otherwise.
//
//   strataview_fuzz_seeds OUTPUT_FOLDER SOURCE_FOLDER
#include "data/ImageIOFactories.h"
#include "data/LGridCenter.h"
#include "data/LMarkers.h"
#include "data/LMesh.h"
#include "data/LOCTVolume.h"
#include "data/LSplineSet.h"
#include "data/LSurfaces.h"

#include <FreeImage.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <itkImage.h>
#include <itkImageFileWriter.h>
#include <itkRGBPixel.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path g_Output;

std::string ReadAll(const fs::path& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteSeed(const std::string& harness, const std::string& name, const std::string& bytes)
{
  fs::create_directories(g_Output / harness);
  std::ofstream(g_Output / harness / name, std::ios::binary) << bytes;
}

// A scratch folder for writers that need a file name.
fs::path Scratch(const std::string& name)
{
  const fs::path folder = g_Output / ".scratch";
  fs::create_directories(folder);
  return folder / name;
}

template <typename Pixel>
void WriteToolkitImage(const fs::path& path, const std::vector<Pixel>& values)
{
  using Image = itk::Image<Pixel, 3>;
  auto image = Image::New();
  typename Image::SizeType size = {{4, 3, 2}};
  image->SetRegions(size);
  image->Allocate();
  std::copy(values.begin(), values.end(), image->GetBufferPointer());
  auto writer = itk::ImageFileWriter<Image>::New();
  writer->SetFileName(path.string());
  writer->SetInput(image);
  writer->Update();
}

std::vector<float> Ramp(float step)
{
  std::vector<float> values(24);
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = float(i) * step;
  return values;
}

void ToolkitSeeds()
{
  const std::vector<unsigned short> words(24, 300);
  const std::vector<unsigned char> bytes(24, 7);
  itk::RGBPixel<unsigned char> colour;
  colour.Set(200, 90, 10);
  const std::vector<itk::RGBPixel<unsigned char>> colours(24, colour);
  WriteToolkitImage(Scratch("a.nii"), words);
  WriteToolkitImage(Scratch("b.nii"), Ramp(0.04f));
  WriteToolkitImage(Scratch("c.nii.gz"), bytes);
  WriteToolkitImage(Scratch("d.nii"), colours);
  for (const char* name : {"a.nii", "b.nii", "c.nii.gz", "d.nii"})
    WriteSeed("scan_nifti", name, ReadAll(Scratch(name)));

  WriteToolkitImage(Scratch("a.hdr"), words);
  WriteSeed("scan_analyze", "a", ReadAll(Scratch("a.hdr")) + ReadAll(Scratch("a.img")));

  WriteToolkitImage(Scratch("a.tif"), words);
  WriteToolkitImage(Scratch("b.tif"), bytes);
  WriteToolkitImage(Scratch("c.tif"), colours);
  for (const char* name : {"a.tif", "b.tif", "c.tif"})
    WriteSeed("scan_tiff", name, ReadAll(Scratch(name)));

  const std::string header = "ObjectType = Image\nNDims = 3\nDimSize = 4 3 2\n";
  WriteSeed("scan_metaimage", "local",
            header + "ElementType = MET_USHORT\nElementDataFile = LOCAL\n" + std::string(48, '\x02'));
  WriteSeed("scan_metaimage", "float-file",
            header + "ElementSpacing = 0.5 0.5 1\nElementType = MET_FLOAT\nElementDataFile = fz.raw\n");
  WriteSeed("scan_metaimage", "list",
            header + "ElementType = MET_UCHAR\nElementDataFile = LIST 2D\nfz.raw\nfz.raw\n");
  WriteSeed("scan_metaimage", "pattern",
            header + "ElementType = MET_UCHAR\nElementDataFile = f%d.raw 1 2 1\n");
}

void CanonSeed()
{
  const std::string parameters =
      "\x01<Params><BScanWidth>4</BScanWidth><BScanHeight>3</BScanHeight><BScanCount>2</BScanCount>"
      "<BScanHeightUm>600</BScanHeightUm><Raster1 ScanningWidth=\"6000\" ScanningHeight=\"6000\"/>"
      "<EyeKind>Right</EyeKind><FixationPosition>Macula</FixationPosition>"
      "<ScanningDirection>Horizontal</ScanningDirection></Params>";
  std::string tomograms(40, '\0');
  for (int block = 0; block < 3; ++block)
    tomograms += std::string(12, char('a' + block)) + std::string(152, '\0');
  WriteSeed("scan_canon", "horizontal", parameters + "\n--TOMOGRAMS--\n" + tomograms);
}

// One DICOM file per flavour (the first byte picks it), 8-bit and 16-bit pixels.
void DicomSeed(char flavour, Uint16 bits, const char* name)
{
  DcmFileFormat file;
  DcmDataset* data = file.getDataset();
  data->putAndInsertString(DCM_Manufacturer, "Topcon");
  data->putAndInsertUint16(DCM_Columns, 4);
  data->putAndInsertUint16(DCM_Rows, 3);
  data->putAndInsertString(DCM_NumberOfFrames, "2");
  data->putAndInsertString(DCM_PixelSpacing, "0.01\\0.02");
  data->putAndInsertString(DCM_SliceThickness, "0.1");
  data->putAndInsertUint16(DCM_BitsAllocated, bits);
  data->putAndInsertString(DCM_Laterality, "R");
  if (bits == 16) {
    std::vector<Uint16> pixels(24);
    std::iota(pixels.begin(), pixels.end(), Uint16(1000));
    data->putAndInsertUint16Array(DCM_PixelData, pixels.data(), pixels.size());
  } else {
    std::vector<Uint8> pixels(24);
    std::iota(pixels.begin(), pixels.end(), Uint8(1));
    data->putAndInsertUint8Array(DCM_PixelData, pixels.data(), pixels.size());
  }
  file.saveFile(Scratch("a.dcm").c_str(), EXS_LittleEndianExplicit);
  WriteSeed("scan_dicom", name, std::string(1, flavour) + ReadAll(Scratch("a.dcm")));
}

void DicomSeeds()
{
  DicomSeed('\x02', 8, "dcm");
  DicomSeed('\x00', 16, "dicom-16");
  DicomSeed('\x01', 16, "DICOM-16");
}

// Little-endian (or big-endian) numbers appended to a byte string, for the device layouts.
class Bytes {
public:
  explicit Bytes(bool bigEndian = false) : m_BigEndian(bigEndian) {}
  template <typename T> Bytes& Put(T value)
  {
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    for (size_t i = 0; i < sizeof(T); ++i)
      m_Text += m_BigEndian ? raw[sizeof(T) - 1 - i] : raw[i];
    return *this;
  }
  Bytes& Text(const std::string& text, size_t width = 0)
  {
    m_Text += text;
    if (width > text.size())
      m_Text.append(width - text.size(), '\0');
    return *this;
  }
  Bytes& Zeros(size_t count) { m_Text.append(count, '\0'); return *this; }
  const std::string& Str() const { return m_Text; }

private:
  bool m_BigEndian;
  std::string m_Text;
};

// A whole .vol of two B-scans, so that mutations reach the B-scan and fundus paths.
std::string HeidelbergVol(int32_t sizeX, int32_t sizeY, int32_t sizeZ, const std::string& eye)
{
  const int32_t fundusW = 5, fundusH = 2, bscanHeader = 7;
  Bytes w;
  w.Text("HSF-OCT-103", 12).Put(sizeX).Put(sizeZ).Put(sizeY);
  w.Put(0.011).Put(0.125).Put(0.0039);
  w.Put(fundusW).Put(fundusH).Zeros(28).Text(eye, 4).Zeros(12).Put(bscanHeader);
  w.Zeros(2048 - 104 + size_t(fundusW * fundusH));
  for (int z = 0; z < sizeZ; ++z) {
    w.Zeros(bscanHeader);
    for (int i = 0; i < sizeX * sizeY; ++i)
      w.Put(float(1 + i + 12 * z) / 64.0f);
  }
  return w.Str();
}

// The scan block of an .fds behind a near-miss marker, with big-endian voxels.
std::string TopconFds(int32_t sizeX, int32_t sizeY, int32_t bits, int32_t sizeZ)
{
  Bytes w;
  w.Text(std::string("\x04\0\0\0FOCTFDS", 11)).Text("@IMG_SCA_", 20);
  w.Text("@IMG_SCAN_03", 17).Put(sizeX).Put(sizeY).Put(bits).Put(sizeZ).Zeros(4);
  Bytes voxels(true);
  for (int i = 0; i < sizeX * sizeY * sizeZ; ++i)
    voxels.Put(uint16_t(i * 257 + 1));
  return w.Str() + voxels.Str();
}

// A Bioptigen file: named entries of integers and ranges, then frames with their headers.
std::string BioptigenOct(int32_t frames, int32_t aScans, int32_t samples, int32_t doppler)
{
  const std::string name = "seed scan";
  Bytes w;
  w.Text("BIOPTI").Put(int32_t(name.size())).Text(name);
  const size_t offsetAt = w.Str().size();
  w.Put(int32_t(0));
  for (int entry = 0; entry < 22; ++entry) {
    const std::string key = "KEY_" + std::to_string(entry * entry);
    w.Put(int32_t(key.size())).Text(key);
    const int32_t integers[] = {frames, aScans, samples, 2};
    if (entry <= 3 || entry == 20)
      w.Put(int32_t(4)).Put(entry <= 3 ? integers[entry] : doppler);
    else if (entry == 12 || entry == 14 || entry == 15)
      w.Put(int32_t(8)).Put(entry == 12 ? 1.0 : 6.0);
    else
      w.Put(int32_t(2)).Text("ab");
  }
  w.Zeros(11);
  std::string bytes = w.Str();
  const int32_t offset = int32_t(bytes.size()) - 25;
  std::memcpy(&bytes[offsetAt], &offset, sizeof offset);
  Bytes data;
  for (int z = 0; z < frames; ++z) {
    data.Zeros(130);
    for (int i = 0; i < aScans * samples; ++i)
      data.Put(uint16_t(1 + i + 100 * z));
    if (doppler == 1) {
      data.Zeros(22);
      for (int i = 0; i < aScans * samples; ++i)
        data.Put(uint16_t(60000 + i));
    }
  }
  return bytes + data.Str();
}

// The device formats: whole small files of each layout, and their magic texts alone.
void DeviceSeeds()
{
  WriteSeed("scan_heidelberg", "magic", "HSF-OCT-103" + std::string(2037, '\0'));
  WriteSeed("scan_heidelberg", "two-bscans", HeidelbergVol(3, 4, 2, "OS"));
  WriteSeed("scan_heidelberg", "one-bscan", HeidelbergVol(6, 5, 1, "OD"));
  WriteSeed("scan_topcon", "magic", std::string("\x04\0\0\0FOCT", 8) + std::string(200, '\0'));
  WriteSeed("scan_topcon", "16-bit", TopconFds(3, 8, 16, 2));
  WriteSeed("scan_topcon", "8-bit", TopconFds(4, 6, 8, 3));
  WriteSeed("scan_bioptigen", "magic", std::string(64, '\0'));
  WriteSeed("scan_bioptigen", "frames", BioptigenOct(3, 4, 5, 0));
  WriteSeed("scan_bioptigen", "doppler", BioptigenOct(2, 3, 4, 1));
  WriteSeed("scan_zeiss", "bytes", std::string(64, '\0'));
}

LResultHeader Header()
{
  LResultHeader header;
  header.version = "4.0.0";
  header.format = FormatMetaImage;
  header.sizeX = 4;
  header.sizeY = 3;
  header.sizeZ = 2;
  header.voxelSizeX = header.voxelSizeY = header.voxelSizeZ = 0.5f;
  return header;
}

template <typename Record>
void WriteRecordSeed(const std::string& harness, const Record& record)
{
  const fs::path path = Scratch(harness + ".xml");
  if (record.WriteXml(path.string()) == 0)
    WriteSeed(harness, "written.xml", ReadAll(path));
}

void ResultSeeds()
{
  LSurfaces surfaces;
  surfaces.Create(4, 2, 2, {5, 15}, {5, 15}, {"NA", "NA"}, Header(), {});
  for (size_t i = 0; i < surfaces.points.size(); ++i)
    surfaces.points[i].y = int(i % 3);
  WriteRecordSeed("result_surfaces", surfaces);
  // The reference surface is a surfaces file of one surface under its own root.
  LSurfaces one;
  one.Create(4, 2, 1, {24}, {24}, {"NA"}, Header(), {});
  const fs::path path = Scratch("reference.xml");
  if (one.WriteXml(path.string()) == 0) {
    std::string text = ReadAll(path);
    for (size_t at; (at = text.find("surfaces>")) != std::string::npos;)
      text.replace(at, 9, "reference_surface>");
    WriteSeed("result_refsurface", "written.xml", text);
  }
  LGridCenter center;
  center.Create(2, 1, Header());
  WriteRecordSeed("result_gridcenter", center);
  LMarkers markers;
  markers.Create(2, 4, Header());
  WriteRecordSeed("result_markers", markers);
  LSplineSet splines;
  splines.Create(1, 4, Header());
  WriteRecordSeed("result_splines", splines);
}

void GridSeeds(const fs::path& source)
{
  for (const auto& entry : fs::directory_iterator(source / "res" / "Grid"))
    WriteSeed("grid", entry.path().filename().string(), ReadAll(entry.path()));
}

void ExecutablesSeed()
{
  WriteSeed("executables", "two.xml",
            "<?xml version=\"1.0\"?>\n<executables><version>4.0.0</version>"
            "<executable><name>layers</name><argc>2</argc><argv>bin/layers</argv><argv>[OCT]</argv>"
            "<argv_description>program</argv_description><argv_description>input</argv_description>"
            "</executable><executable><name>b</name><argc>1</argc><argv>b</argv></executable>"
            "</executables>\n");
}

void MeshSeed()
{
  const int size[3] = {8, 6, 4};
  const float spacing[3] = {0.5f, 0.25f, 1.0f};
  std::vector<unsigned short> labels(8 * 6 * 4, 0);
  for (int z = 1; z < 3; ++z)
    for (int y = 2; y < 4; ++y)
      for (int x = 2; x < 5; ++x)
        labels[size_t(x + 8 * (y + 6 * z))] = 255;
  LMesh mesh;
  mesh.SetLabelVolume(size, spacing, labels.data(), 1);
  (void)mesh.Build(true, 0);
  const fs::path path = Scratch("labels.vtk");
  if (mesh.WriteVtk(path.string()) == 0)
    WriteSeed("mesh_cache", "box.vtk", ReadAll(path));
}

void ImageSeeds()
{
  const struct { FREE_IMAGE_FORMAT format; int bits; const char* name; } kinds[] = {
    {FIF_PNG, 8, "grey.png"}, {FIF_PNG, 24, "colour.png"}, {FIF_BMP, 24, "colour.bmp"},
    {FIF_PGMRAW, 8, "grey.pgm"}, {FIF_TARGA, 32, "alpha.tga"}, {FIF_TIFF, 8, "grey.tif"},
    {FIF_JPEG, 24, "colour.jpg"},
  };
  for (const auto& kind : kinds) {
    FIBITMAP* bitmap = FreeImage_Allocate(5, 4, kind.bits);
    for (unsigned y = 0; y < 4; ++y) {
      BYTE* line = FreeImage_GetScanLine(bitmap, int(y));
      for (unsigned i = 0; i < 5 * unsigned(kind.bits) / 8; ++i)
        line[i] = BYTE(40 * y + 7 * i);
    }
    const fs::path path = Scratch(kind.name);
    if (FreeImage_Save(kind.format, bitmap, path.c_str(), 0))
      WriteSeed("image2d", kind.name, ReadAll(path));
    FreeImage_Unload(bitmap);
  }
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER SOURCE_FOLDER\n", argv[0]);
    return 2;
  }
  g_Output = argv[1];
  RegisterImageIOFactories();
  ToolkitSeeds();
  CanonSeed();
  DicomSeeds();
  DeviceSeeds();
  ResultSeeds();
  GridSeeds(argv[2]);
  ExecutablesSeed();
  MeshSeed();
  ImageSeeds();
  fs::remove_all(g_Output / ".scratch");
  return 0;
}
