// Stand-ins for the GL, GLUT and C library calls that Emscripten 3.1.6 lacks or
// gets wrong for this game, each with why the browser needs it; the C++ ones
// are beside this file. Linked with --js-library, they take the place of
// Emscripten's versions and hand on to them (emscripten_gl*) where those work.
mergeInto(LibraryManager.library, {
  // GL 1.1 makes a texture object on the first bind of a name; WebGL knows only
  // the names glGenTextures gave. A name without a picture draws untextured in
  // GL 1.1 but samples black in WebGL, so until its picture comes it holds one
  // white texel, which the game's GL_MODULATE turns into the untextured colour.
  glBindTexture__deps: ['emscripten_glBindTexture', '$GL'],
  glBindTexture: function(target, name) {
    if (!GL.textures[name]) {
      var texture = GLctx.createTexture();
      texture.name = name;
      GL.textures[name] = texture;
      GLctx.bindTexture(target, texture);
      GLctx.texImage2D(target, 0, GLctx.RGB, 1, 1, 0, GLctx.RGB, GLctx.UNSIGNED_BYTE,
                       new Uint8Array([255, 255, 255]));
    }
    _emscripten_glBindTexture(target, name);
  },

  // GL 1.0's internal format is a count of components (1 to 4); WebGL takes
  // only the format's own name.
  glTexImage2D__deps: ['emscripten_glTexImage2D'],
  glTexImage2D: function(target, level, internalFormat, width, height, border, format, type,
                         pixels) {
    var byCount = [0, 0x1909 /* LUMINANCE */, 0x190A /* LUMINANCE_ALPHA */, 0x1907 /* RGB */,
                   0x1908 /* RGBA */];
    _emscripten_glTexImage2D(target, level, byCount[internalFormat] || internalFormat, width,
                             height, border, format, type, pixels);
  },

  // WebGL interpolates colours across every primitive, which is GL_SMOOTH, the
  // model the game asks for; the emulation only warns.
  glShadeModel: function(mode) {},

  // The emulation has no glLightf, and it lights every light as if from
  // infinitely far away; the rocket lights are points that fade with distance.
  glLightf__deps: ['$pointLights'],
  glLightf: function(light, pname, value) {
    pointLights.setAttenuation(light - 0x4000 /* LIGHT0 */,
                               pname - 0x1207 /* CONSTANT_ATTENUATION */, value);
  },

  // The emulation writes its lighting into each vertex shader it generates:
  // there the direction to a light comes from the vertex (for a light whose w
  // is not 0) and the light's share is attenuated by 1 / (k0 + k1 d + k2 d²).
  // The factors are written in as constants; setting one starts the cache of
  // shaders anew.
  $pointLights__deps: ['$GLImmediate'],
  $pointLights__postset: 'pointLights.install();',
  $pointLights: {
    attenuation: [],
    install: function() {
      for (var light = 0; light < 8; light++) pointLights.attenuation.push([1, 0, 0]);
      var createRenderer = GLImmediate.createRenderer;
      GLImmediate.createRenderer = function() {
        var shaderSource = GLctx.shaderSource;
        GLctx.shaderSource = function(shader, source) {
          shaderSource.call(GLctx, shader, pointLights.rewrite(source));
        };
        try {
          return createRenderer.apply(GLImmediate, arguments);
        } finally {
          delete GLctx.shaderSource;  // the context's own again
        }
      };
    },
    setAttenuation: function(light, which, value) {
      if (light < 0 || light > 7 || which < 0 || which > 2) return;
      pointLights.attenuation[light][which] = value;
      if (GLImmediate.rendererCache) {
        GLImmediate.rendererCache = GLImmediate.MapTreeLib.create();
        GLImmediate.currentRenderer = null;
      }
    },
    rewrite: function(source) {
      function constant(x) {
        var text = String(x);
        return /[.e]/.test(text) ? text : text + '.0';
      }
      return source.replace(/vec3 lightDirection = normalize\(u_lightPosition(\d)\)\.xyz;/g,
        function(line, light) {
          var p = 'u_lightPosition' + light, k = pointLights.attenuation[light].map(constant);
          return 'vec3 toLight = ' + p + '.xyz - ecPosition.xyz * ' + p + '.w;' +
                 'float d = length(toLight);' +
                 'float attenuation = ' + p + '.w == 0.0 ? 1.0 : 1.0 / (' + k[0] + ' + ' +
                 k[1] + ' * d + ' + k[2] + ' * d * d);' +
                 'vec3 lightDirection = toLight / d;';
        }).replace(/v_color\.xyz \+= ambient \+ diffuse \+ specular;/g,
                   'v_color.xyz += attenuation * (ambient + diffuse + specular);');
    },
  },

  // WebGL has no raster position and Emscripten's GLUT no bitmap fonts.
  // glRasterPos2f projects the position as GL does (no text where it falls
  // outside the view), glutBitmapCharacter queues each glyph in the browser's
  // own sans-serif at 18 pixels, and glutSwapBuffers paints the queue on the
  // page's text canvas (Module.textCanvas), which lies over the GL canvas.
  $bitmapText__deps: ['$GLImmediate'],
  $bitmapText: {
    x: 0,
    y: 0,
    shown: false,
    colour: '',
    glyphs: [],  // [character, x, y, colour] of this frame
    painted: '',  // the glyphs on the text canvas, joined
    context: null,
    canvasContext: function() {
      if (!bitmapText.context && Module['textCanvas']) {
        bitmapText.context = Module['textCanvas'].getContext('2d');
        bitmapText.context.font = '18px sans-serif';
      }
      return bitmapText.context;
    },
  },

  glRasterPos2f__deps: ['$bitmapText'],
  glRasterPos2f: function(x, y) {
    var mat4 = GLImmediate.matrixLib.mat4, clip = [x, y, 0, 1];
    mat4.multiplyVec4(GLImmediate.matrix[0], clip);
    mat4.multiplyVec4(GLImmediate.matrix[1], clip);
    var w = clip[3], viewport = GLctx.getParameter(GLctx.VIEWPORT);
    bitmapText.shown = w > 0 && Math.abs(clip[0]) <= w && Math.abs(clip[1]) <= w &&
                       Math.abs(clip[2]) <= w;
    bitmapText.x = viewport[0] + (clip[0] / w + 1) * viewport[2] / 2;
    bitmapText.y = viewport[1] + (clip[1] / w + 1) * viewport[3] / 2;
    var c = GLImmediate.clientColor;
    bitmapText.colour = 'rgba(' + Math.round(c[0] * 255) + ',' + Math.round(c[1] * 255) + ',' +
                        Math.round(c[2] * 255) + ',' + c[3] + ')';
  },

  glutBitmapCharacter__deps: ['$bitmapText'],
  glutBitmapCharacter: function(font, character) {
    var context = bitmapText.canvasContext();
    if (!bitmapText.shown || !context) return;
    var glyph = String.fromCharCode(character);
    bitmapText.glyphs.push([glyph, Math.floor(bitmapText.x), Math.floor(bitmapText.y),
                            bitmapText.colour]);
    bitmapText.x += context.measureText(glyph).width;
  },

  // The text canvas is painted again only when the text has changed: a 2-D
  // canvas redrawn in every frame costs the browser a good part of the frame.
  glutSwapBuffers__deps: ['$bitmapText'],
  glutSwapBuffers: function() {
    var context = bitmapText.canvasContext(), glyphs = bitmapText.glyphs;
    var painting = glyphs.join('|');
    bitmapText.glyphs = [];
    if (!context || painting === bitmapText.painted) return;
    bitmapText.painted = painting;
    var height = context.canvas.height;
    context.clearRect(0, 0, context.canvas.width, height);
    glyphs.forEach(function(glyph) {
      context.fillStyle = glyph[3];
      context.fillText(glyph[0], glyph[1], height - glyph[2]);  // GL counts rows upwards
    });
  },

  // Emscripten's GLUT hands the motion callbacks the pointer's previous
  // position, one event behind; the game steers by where the pointer is.
  $pointerMotion__deps: ['$GLUT', '$Browser'],
  $pointerMotion__postset: 'GLUT.onMousemove = pointerMotion;',
  $pointerMotion: function(event) {
    var lastX = Browser.mouseX, lastY = Browser.mouseY;
    Browser.calculateMouseEvent(event);
    if (Browser.mouseX == lastX && Browser.mouseY == lastY) return;
    var callback = GLUT.buttons == 0 ?
        (event.target == Module['canvas'] ? GLUT.passiveMotionFunc : 0) : GLUT.motionFunc;
    if (!callback) return;
    event.preventDefault();
    GLUT.saveModifiers(event);
    {{{ makeDynCall('vii', 'callback') }}}(Browser.mouseX, Browser.mouseY);
  },
  glutPassiveMotionFunc__deps: ['$pointerMotion'],
  glutPassiveMotionFunc: function(func) {
    GLUT.passiveMotionFunc = func;
  },

  // The held batch of immediate_mode.cpp. The other GL and GLUT calls are this
  // script's own top-level functions (_glPushMatrix and the like), so properties
  // of the page's global object: each is wrapped to draw the held batch first,
  // but for modelview matrix calls while it is in eye space, once the emulation
  // has put its own versions in place (GLImmediate.setupFuncs) and before the
  // WebAssembly takes them. Where they are not found (another build of the
  // script), nothing is held.
  $heldBatch__deps: ['$GLEmulation', '$GLImmediate', 'emscripten_glEnd'],
  $heldBatch__postset: 'heldBatch.guardAfterSetup();',
  $heldBatch: {
    guarded: false,
    held: false,
    inEyeSpace: false,
    identity: [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
    draw: function() {
      if (!heldBatch.held) return;
      heldBatch.held = false;
      var modelview = GLImmediate.matrix[0];  // a batch in eye space is drawn without it
      if (heldBatch.inEyeSpace) GLImmediate.matrix[0] = heldBatch.identity;
      GLImmediate.matrixVersion[0]++;
      _emscripten_glEnd();
      GLImmediate.matrix[0] = modelview;
      GLImmediate.matrixVersion[0]++;
    },
    guardAfterSetup: function() {
      if (GLImmediate.TexEnvJIT) return heldBatch.guardEveryCall();  // set up already
      var setupFuncs = GLImmediate.setupFuncs;
      GLImmediate.setupFuncs = function() {
        setupFuncs();
        heldBatch.guardEveryCall();
      };
    },
    guardEveryCall: function() {
      Object.keys(window).forEach(function(name) {
        var call = window[name];
        if (!/^_glu?t?[A-Z]/.test(name) || typeof call != 'function') return;
        var moves = /^_gl(PushMatrix|PopMatrix|Translate|Rotate|Scale)/.test(name);
        window[name] = function() {
          if (!moves || !heldBatch.inEyeSpace || GLImmediate.currentMatrix != 0) heldBatch.draw();
          return call.apply(this, arguments);
        };
      });
      heldBatch.guarded = typeof window['_glPushMatrix'] == 'function';
    },
  },
  holdBatch__deps: ['$heldBatch'],
  holdBatch: function(inEyeSpace) {
    heldBatch.held = true;
    heldBatch.inEyeSpace = inEyeSpace;
    if (!heldBatch.guarded) heldBatch.draw();
  },
  joinHeldBatch__deps: ['$heldBatch'],
  joinHeldBatch: function() {
    return heldBatch.held;
  },
  drawHeldBatch__deps: ['$heldBatch'],
  drawHeldBatch: function() {
    heldBatch.draw();
  },
  // Inside glBegin the emulation writes a colour as bytes, but GL's current
  // colour is floats: each vertex of a batch in eye space brings it so, and
  // outside glBegin it is the current one though a held batch is still open.
  heldColour__deps: ['$heldBatch'],
  heldColour: function(r, g, b, a) {
    var data = GLImmediate.vertexData, at = GLImmediate.vertexCounter;
    for (var i = 0; i < 4; i++) data[at + i] = Math.min(Math.max(arguments[i], 0), 1);
    GLImmediate.vertexCounter = at + 4;
    GLImmediate.addRendererComponent(GLImmediate.COLOR, 4, GLctx.FLOAT);
  },
  currentColour__deps: ['$heldBatch', 'emscripten_glColor4f'],
  currentColour: function(r, g, b, a) {
    var mode = GLImmediate.mode;
    GLImmediate.mode = -1;
    _emscripten_glColor4f(r, g, b, a);
    GLImmediate.mode = mode;
  },
  // The held batch's last vertex once more: strips join by triangles of no area.
  repeatHeldVertex__deps: ['$heldBatch'],
  repeatHeldVertex: function() {
    var end = GLImmediate.vertexCounter, size = GLImmediate.rendererComponentPointer >> 2;
    GLImmediate.vertexData.copyWithin(end, end - size, end);
    GLImmediate.vertexCounter = end + size;
  },

  // Emscripten's exit keeps a program that has timers or frames pending
  // running; 'q' and a failed start must end the game, as on the desktop.
  exit__deps: ['emscripten_force_exit'],
  exit: function(status) {
    _emscripten_force_exit(status);
  },
});
