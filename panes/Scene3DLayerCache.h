#pragma once
// The picture of the 3-D scene's unchanged geometry (letters, markers, splines, meshes and
// surfaces), kept with its depth in an offscreen framebuffer between paints, so that a paint
// that only moves a plane, the window or the guide lines copies it back instead of
// rasterising every surface triangle again. The stencil of the kept picture tells, per
// pixel, which surface was drawn there (0 for anything else), so that the guide-line cells
// can be laid over exactly the surface pixels they cover.
//
// While a surface is edited, a second picture is kept the same way without the cell rows the
// edit moves: each step of the edit starts the kept picture from it and draws only those
// rows again.
//
// A paint renders into a frame buffer of the same size, started from the kept picture, and
// copies its colour to the target. Every call needs the pane's context current; Release
// frees the GL objects.
#include <GL/gl.h>
#include <cstdint>
#include <vector>

class Scene3DLayerCache {
public:
  Scene3DLayerCache() = default;
  Scene3DLayerCache(const Scene3DLayerCache&) = delete;
  Scene3DLayerCache& operator=(const Scene3DLayerCache&) = delete;

  // Both buffers at the given size; false when the context cannot make them (the caller
  // then draws everything).
  bool Prepare(int width, int height);
  // Whether the kept picture was drawn from these inputs.
  bool Holds(const std::vector<uint8_t>& inputs) const { return m_Valid && inputs == m_Inputs; }
  // Binds the kept picture's buffer for drawing it again; Kept records what it was drawn from.
  void BindLayer();
  void Kept(std::vector<uint8_t> inputs);
  // The same for the picture without the edited rows, made at the first use; PrepareBase is
  // false when the context cannot make it.
  bool PrepareBase();
  bool HoldsBase(const std::vector<uint8_t>& inputs) const { return m_BaseValid && inputs == m_BaseInputs; }
  void BindBase();
  void KeptBase(std::vector<uint8_t> inputs);
  // Binds the kept picture's buffer started from the picture without the edited rows.
  void BindLayerFromBase();
  // Binds the frame buffer started from the kept picture: colour, depth and stencil.
  void BindFrameFromLayer();
  // Copies the frame's colour into framebuffer `target` and binds that.
  void CopyFrameTo(GLuint target);
  // The kept picture's stencil, a byte per pixel, rows from the bottom up.
  std::vector<uint8_t> KeptStencil() const;
  int Width() const { return m_Width; }
  int Height() const { return m_Height; }
  void Invalidate() { m_Valid = m_BaseValid = false; }
  void Release();
  bool Held() const { return m_Layer.framebuffer || m_Frame.framebuffer || m_Base.framebuffer; }

private:
  struct Target {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depthStencil = 0;
  };
  bool Make(Target& t);
  void Free(Target& t);
  void Copy(const Target& from, GLuint to, GLbitfield what) const;

  Target m_Layer;
  Target m_Frame;
  Target m_Base;
  int m_Width = 0;
  int m_Height = 0;
  bool m_Usable = true;
  bool m_Valid = false;
  std::vector<uint8_t> m_Inputs;
  bool m_BaseValid = false;
  std::vector<uint8_t> m_BaseInputs;
};
