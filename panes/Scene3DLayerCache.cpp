#define GL_GLEXT_PROTOTYPES
#include "panes/Scene3DLayerCache.h"

#include <cstddef>

#include <GL/glext.h>
#include <utility>

bool Scene3DLayerCache::Prepare(int width, int height)
{
  if (!m_Usable || width <= 0 || height <= 0)
    return false;
  if (m_Layer.framebuffer && width == m_Width && height == m_Height)
    return true;
  Free(m_Layer);
  Free(m_Frame);
  Free(m_Base);
  Invalidate();
  m_Width = width;
  m_Height = height;
  // A context without complete offscreen buffers of this kind never gets them later.
  m_Usable = Make(m_Layer) && Make(m_Frame);
  if (!m_Usable) {
    Free(m_Layer);
    Free(m_Frame);
  }
  return m_Usable;
}

bool Scene3DLayerCache::Make(Target& t)
{
  GLint previous = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
  glGenFramebuffers(1, &t.framebuffer);
  glGenRenderbuffers(1, &t.colour);
  glGenRenderbuffers(1, &t.depthStencil);
  glBindRenderbuffer(GL_RENDERBUFFER, t.colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, m_Width, m_Height);
  glBindRenderbuffer(GL_RENDERBUFFER, t.depthStencil);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, m_Width, m_Height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, t.colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, t.depthStencil);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  return complete && glGetError() == GL_NO_ERROR;
}

void Scene3DLayerCache::Free(Target& t)
{
  if (t.framebuffer)
    glDeleteFramebuffers(1, &t.framebuffer);
  const GLuint buffers[2] = {t.colour, t.depthStencil};
  glDeleteRenderbuffers(2, buffers);
  t = Target();
}

void Scene3DLayerCache::BindLayer()
{
  glBindFramebuffer(GL_FRAMEBUFFER, m_Layer.framebuffer);
}

void Scene3DLayerCache::Kept(std::vector<uint8_t> inputs)
{
  m_Inputs = std::move(inputs);
  m_Valid = true;
}

bool Scene3DLayerCache::PrepareBase()
{
  if (!m_Layer.framebuffer)
    return false;
  if (!m_Base.framebuffer && !Make(m_Base))
    Free(m_Base);
  return m_Base.framebuffer != 0;
}

void Scene3DLayerCache::BindBase()
{
  glBindFramebuffer(GL_FRAMEBUFFER, m_Base.framebuffer);
}

void Scene3DLayerCache::KeptBase(std::vector<uint8_t> inputs)
{
  m_BaseInputs = std::move(inputs);
  m_BaseValid = true;
}

void Scene3DLayerCache::BindLayerFromBase()
{
  Copy(m_Base, m_Layer.framebuffer, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glBindFramebuffer(GL_FRAMEBUFFER, m_Layer.framebuffer);
}

void Scene3DLayerCache::BindFrameFromLayer()
{
  Copy(m_Layer, m_Frame.framebuffer, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glBindFramebuffer(GL_FRAMEBUFFER, m_Frame.framebuffer);
}

void Scene3DLayerCache::CopyFrameTo(GLuint target)
{
  Copy(m_Frame, target, GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_FRAMEBUFFER, target);
}

std::vector<uint8_t> Scene3DLayerCache::KeptStencil() const
{
  std::vector<uint8_t> stencil(static_cast<size_t>(m_Width) * static_cast<size_t>(m_Height));
  if (stencil.empty() || !m_Layer.framebuffer)
    return {};
  GLint read = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Layer.framebuffer);
  glReadPixels(0, 0, m_Width, m_Height, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
  glPopClientAttrib();
  return stencil;
}

void Scene3DLayerCache::Copy(const Target& from, GLuint to, GLbitfield what) const
{
  // Scissoring and masks would cut the copy short.
  glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, from.framebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
  glBlitFramebuffer(0, 0, m_Width, m_Height, 0, 0, m_Width, m_Height, what, GL_NEAREST);
  glPopAttrib();
}

void Scene3DLayerCache::Release()
{
  Free(m_Layer);
  Free(m_Frame);
  Free(m_Base);
  m_Width = 0;
  m_Height = 0;
  m_Usable = true;
  Invalidate();
  m_Inputs.clear();
  m_BaseInputs.clear();
}
