#pragma once
// The 3-D pane: an OpenGL window (compatibility profile, fixed-function lighting) that draws
// the scene of its Scene3D in perspective: the three slab-averaged volume planes through the
// current position, the layer surfaces, the reference surface, the vessel and SEAD meshes,
// markers and spline control points as spheres, spline curves as lines and the orientation
// letters. Every primitive carries its pick name for a selection render.
//
// Set... operations (from Scene3D) only store; Show... operations store and repaint. Without
// a valid OpenGL context (a platform without OpenGL) the pane only stores.
#include "panes/GlyphLists.h"
#include "panes/GuideCellTiles.h"
#include "panes/Scene3D.h"
#include "panes/Scene3DEditedRows.h"
#include "panes/Scene3DLayerCache.h"
#include "panes/SceneBuffers3D.h"
#include "panes/ViewServices.h"

#include <QOpenGLWidget>
#include <QPoint>
#include <optional>
#include <string>
#include <vector>

class L3D : public QOpenGLWidget, public Scene3D {
  Q_OBJECT
public:
  explicit L3D(QWidget* parent = nullptr);
  // A pane that tells the view what its picks change (the slice panes, their scroll bars and
  // the projection pane); the one above only changes the shared state.
  explicit L3D(ViewServices& view, QWidget* parent = nullptr);
  ~L3D() override;
  L3D(const L3D&) = delete;
  L3D& operator=(const L3D&) = delete;

  // Resets the scene state of a new scan and places the window at (0, 0, width, height)
  // inside the host, where it is shown from now on.
  void CreatePane(int width, int height, QWidget* host);
  bool IsCreated() const { return m_Created; }
  // Once created: the window's new size.
  void Resize(int width, int height);
  // Once created: repaints with the camera's projection (every paint sets the viewport and
  // the projection from the window size and the camera).
  void UpdateProjection();
  int GetWindowWidth() const { return m_Width; }
  int GetWindowHeight() const { return m_Height; }

  void Show3DAll(bool show) { ShowFlag(SceneFlag::All, show); }
  void ShowGuideLines(bool show) { ShowFlag(SceneFlag::GuideLines, show); }
  void Show3DOCTXY(bool show) { ShowFlag(SceneFlag::PlaneXY, show); }
  void Show3DOCTZY(bool show) { ShowFlag(SceneFlag::PlaneZY, show); }
  void Show3DOCTXZ(bool show) { ShowFlag(SceneFlag::PlaneXZ, show); }
  void ShowOverlay(bool show) { ShowFlag(SceneFlag::Letters, show); }
  void ShowDisc(bool show) { ShowFlag(SceneFlag::Disc, show); }
  void ShowMarkers(bool show) { ShowFlag(SceneFlag::Markers, show); }
  void ShowProjection(bool show) { ShowFlag(SceneFlag::Projection, show); }
  void ShowRefSurface(bool show) { ShowFlag(SceneFlag::RefSurface, show); }
  void ShowSEAD(bool show) { ShowFlag(SceneFlag::SEAD, show); }
  void ShowVessel(bool show) { ShowFlag(SceneFlag::Vessel, show); }
  void ShowSplines(bool show) { ShowFlag(SceneFlag::Splines, show); }
  void ShowSurfaces(bool show) { ShowFlag(SceneFlag::Surfaces, show); }
  void ShowSurface(int index, bool show);
  void ShowUndefinedSurface(int index, bool show);

  // The picture of the pane, its width cut to a multiple of 4; null before creation, without
  // a volume or a context, and for a pane narrower than 4 pixels.
  QImage RenderToImage();
  // Both do nothing when there is no picture. SaveImage also places the picture on the
  // clipboard and writes it in the format of the path's extension: 0, or -1 with any old
  // file left as it was.
  void CopyToClipboard();
  [[nodiscard]] int SaveImage(const std::string& path);

  // The scene with the current projection into the current context: a paint, an export or
  // a selection render.
  void RenderScene();
  // Whether ordinary renders draw the surfaces, meshes and planes from buffers kept between
  // paints (the default) or cell by cell, as selection renders and drags always do.
  void SetBufferedDrawing(bool on) { m_Buffered = on; }
  // Whether those renders also keep the picture of the geometry that did not change
  // (everything but the planes and the surfaces' guide-line cells) between paints (the
  // default), or draw all of it every time. A surface edit then draws only the cell rows it
  // moved over a picture kept without them. Blended surfaces add up in drawing order, which
  // a kept picture cannot reproduce: they, and the reference surface, are always drawn in
  // full.
  void SetLayerKeeping(bool on) { m_KeepLayer = on; }
  // Whether the guide-line cells drawn over the kept picture leave out those that cannot
  // reach a pixel of their surface in it (the default), or are all drawn; the picture is the
  // same either way.
  void SetGuideCellSkipping(bool on) { m_SkipUnseenGuideCells = on; }
  // The guide-line cells the last render through the kept picture left out, for benchmarks
  // and tests.
  size_t GuideCellsLeftOut() const { return m_GuideTiles.LeftOut(); }
  // How the last ordinary render came by the kept picture, for benchmarks and tests.
  enum class KeptPicture { NotKept, Reused, OverLeftOutRows, FromScratch };
  KeptPicture LastKeptPicture() const { return m_LastKeptPicture; }
  // Whether the pane holds OpenGL objects of its own (buffers, textures, kept pictures,
  // letters): from its first paint of a scan until the next scan is applied, for tests.
  bool HoldsGlResources() const;
  // Points of a surface moved in place within a region of the (x, z) grid: an edit or an
  // undo in a slice pane. Repaints.
  void ShowSurfacePointsChanged(int surface, const GridRegion& region);
  // The position or the window changed (a 2-D step): repaints only when the picture shows
  // what changed since its last paint.
  void ShowPositionAndWindow();

  // The mouse, at window points. A left press picks by the mouse mode (and starts the
  // trackball from the point); a left drag rotates, a middle drag (or right drag with Shift)
  // pans, a right drag dollies; a left double click deletes in the Markers and Splines modes.
  void OnLButtonDown(QPoint point);
  void OnLButtonUp();
  void OnRButtonDown(QPoint point);
  void OnRButtonUp();
  void OnMButtonDown(QPoint point) { OnRButtonDown(point); }
  void OnMButtonUp() { OnRButtonUp(); }
  void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint point);
  void OnLButtonDblClk(QPoint point);

  // What lies under a window point moves the position (a click on nothing starts a
  // rotation instead), the grid centre (XZ plane and surfaces only), or jumps to a marker or
  // a spline control point; the deletions remove the marker or the whole spline hit.
  void PickPosition(QPoint point);
  void PickGridCenter(QPoint point);
  void PickMarker(QPoint point);
  void PickSplinePoint(QPoint point);
  void PickAndDeleteMarker(QPoint point);
  void PickAndDeleteSpline(QPoint point);
  void TrackMouse(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint point);
  // The view forwards the wheel turned over the pane.
  void ZoomByWheel(int delta);

  // A selection render at a window point: the name of the nearest hit (which may be one that
  // means nothing), none when nothing is hit, the buffer overflows or there is no context.
  // Throws std::bad_alloc, with OpenGL back in its drawing mode, when the render runs out of
  // memory.
  std::optional<uint64_t> SelectAt(QPoint point);

protected:
  void initializeGL() override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

private:
  void ShowFlag(SceneFlag flag, bool show);
  // The coordinates x, y, z of the position and the window centre and width as the picture
  // shows them: the window while a plane is shown, each plane's own slice and, with the
  // guide lines, the coordinates they mark on the planes and the surfaces; -1 where nothing
  // shown depends on one.
  std::array<float, 5> PositionAndWindowShown() const;
  void EndListBeingCompiled();
  void ApplyProjection();
  void ApplyMaterial(const Material3D& m);
  void LoadName(uint64_t name);
  void Sphere(const Point3i& position);
  void ReleaseGl();
  void ApplyCamera();
  // A selection render at the point: true, with the position decoded, when the nearest hit
  // lies in one of the blocks from first to last.
  bool PickIn(QPoint point, PickNames3D::Block first, PickNames3D::Block last, std::array<int, 3>& position);
  // Tells the view what a moved position changed; the projection pane only repaints when
  // asked to.
  void AfterPositionChange(bool invalidateProjection);
  // After the tool of mouseMode (markers or splines) deleted an entry.
  void AfterDeletion(int mouseMode);

  // A render: the state every render starts from (clearing the buffers or not), everything
  // but the planes, the planes, and the state every render leaves.
  void BeginScene(bool clear);
  // Rows of `leftOut` are left out of the surfaces (none by default).
  void DrawGeometry(SceneBuffers3D::Cells cells, const Scene3DEditedRows::Rows& leftOut = {});
  void DrawPlanes();
  void EndScene();
  // Whether this render may go through the kept picture, and that render: false, with
  // nothing drawn, when the context cannot keep one.
  bool LayerApplies() const;
  bool RenderFromLayer();
  // The kept picture drawn again: over the picture without the rows an edit moved where
  // that is worth it, otherwise from scratch.
  void DrawKeptPicture(const std::vector<uint8_t>& inputs);
  bool WorthLeavingOut(const Scene3DEditedRows::Rows& rows) const;
  // The left-out rows drawn over the picture without them as they would have been drawn
  // among the rest: each wins a tie of depths against what comes later in drawing order and
  // loses it to what comes earlier, which the stencil tells.
  void DrawLeftOutRows(const Scene3DEditedRows::Rows& rows);
  // What the kept picture shows depends on, beside the surfaces' buffers.
  std::vector<uint8_t> LayerInputs() const;
  void DrawSurfaceGuideLines();
  // The tiles of the kept picture's surface pixels in the current transform, read from its
  // stencil at the first use after it was drawn; none when they are not used.
  const GuideCellTiles* GuideTiles();

  void DrawOrientationLetters();
  void DrawReferenceSurface();
  void DrawMarkers3D();
  void DrawSplines3D();
  void DrawSEADMesh();
  void DrawVesselMesh();
  void DrawMesh(const float* vertices, size_t vertexCount, bool vessel);
  void DrawSurfaces(SceneBuffers3D::Cells cells, const Scene3DEditedRows::Rows& leftOut);
  void DrawSurface(int surface);
  void DrawPlaneXY();
  void DrawPlaneZY();
  void DrawPlaneXZ();
  void DrawPlane(int orientation, SceneFlag flag);
  void DrawText3D(double x, double y, double z, const char* format, ...) __attribute__((format(printf, 5, 6)));

  ViewServices* m_View = nullptr;  // borrowed: the view outlives its panes
  bool m_Created = false;
  int m_Width = 0;
  int m_Height = 0;

  // Per render.
  bool m_Selecting = false;
  bool m_HasMaterial = false;
  Material3D m_Material;

  bool Buffered() const { return m_Buffered && !m_Selecting && !Interacting() && !Picking(); }

  bool m_GlutSpheres = false;
  GlyphLists m_Glyphs;
  bool m_Buffered = true;
  SceneBuffers3D m_Buffers;
  bool m_KeepLayer = true;
  // What the last paint showed of the position and the window; none before the first.
  std::optional<std::array<float, 5>> m_PaintedPositionAndWindow;
  Scene3DLayerCache m_Layer;
  Scene3DEditedRows m_EditedRows;
  KeptPicture m_LastKeptPicture = KeptPicture::NotKept;
  bool m_SkipUnseenGuideCells = true;
  GuideCellTiles m_GuideTiles;

  // The stencil value of surface cells in the kept pictures: 4 (surface + 1) + the part (0
  // rows before the left-out ones, 1 the left-out rows or a whole surface, 2 rows after
  // them), which orders the values as the cells are drawn; the guide lines read the surface
  // alone.
  static GLint SurfaceStencil(int surface, int part) { return 4 * (surface + 1) + part; }
  static constexpr GLuint kSurfaceStencilMask = 0xFC;
  static_assert(Scene3DEditedRows::kSurfaces == kMaxSurfaces, "a row range per surface the scene shows");
};
