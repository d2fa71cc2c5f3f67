// The GL layer's side in JavaScript (linked in before the game's script): the
// page's WebGL context, one program, one vertex buffer and the textures, all
// made again when the browser gives back a context it lost; the canvas's size
// followed, and the overlay's text painted.
Module.layer = (function() {
  'use strict';
  var gl = null, program = null, shaders = [], checked = false;
  var sources = [], attributes = [], stride = 0, fields = {};
  var textures = [], pictures = [];  // by index; 0 is white, which untextured drawing samples

  function makeProgram() {
    program = gl.createProgram();
    shaders = [[gl.VERTEX_SHADER, sources[0]], [gl.FRAGMENT_SHADER, sources[1]]].map(function(part) {
      var shader = gl.createShader(part[0]);
      gl.shaderSource(shader, part[1]);
      gl.compileShader(shader);
      gl.attachShader(program, shader);
      return shader;
    });
    attributes.forEach(function(a, i) { gl.bindAttribLocation(program, i, a.name); });
    gl.linkProgram(program);  // compiles while the game loads; the first draw asks how that went
    checked = false;
    gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
    attributes.forEach(function(a, i) {
      gl.vertexAttribPointer(i, a.size, a.type, a.type === gl.UNSIGNED_BYTE, stride, a.offset);
      gl.enableVertexAttribArray(i);
    });
  }

  function makeTexture(index) {
    var p = pictures[index];
    if (textures[index]) gl.deleteTexture(textures[index]);  // replaced
    gl.bindTexture(gl.TEXTURE_2D, textures[index] = gl.createTexture());
    gl.pixelStorei(gl.UNPACK_ALIGNMENT, p.alignment);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, p.width, p.height, 0, gl.RGB, gl.UNSIGNED_BYTE, p.pixels);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, p.wrap);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, p.wrap);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, p.minFilter);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, p.magFilter);
  }

  // A lost context's objects went with it: deleting them in the new one is an error.
  function makeAll() {
    textures = [];
    makeProgram();
    pictures.forEach(function(p, index) { makeTexture(index); });
  }

  return {
    // The context the page made; false without WebGL. `layout` names each
    // attribute's components, type and offset in a vertex of `vertexBytes`;
    // `stretchFields` is "name index" lines, each field's index among a stretch's ints.
    start: function(vertexShader, fragmentShader, layout, vertexBytes, stretchFields) {
      gl = Module.canvas.getContext('webgl');
      if (!gl) return false;
      sources = [vertexShader, fragmentShader];
      attributes = layout.map(function(a) { return {name: a[0], size: a[1], type: gl[a[2]], offset: a[3]}; });
      stride = vertexBytes, fields = {};
      stretchFields.split('\n').forEach(function(line) {
        var field = line.split(' ');
        fields[field[0]] = Number(field[1]);
      });
      pictures[0] = {width: 1, height: 1, alignment: 1, pixels: new Uint8Array([255, 255, 255]),
                     wrap: gl.REPEAT, minFilter: gl.NEAREST, magFilter: gl.NEAREST};
      makeAll();
      Module.canvas.addEventListener('webglcontextrestored', makeAll);
      return true;
    },
    // What went wrong building the program, once; '' if nothing (or not yet
    // known, while the context is lost).
    check: function() {
      if (checked || gl.isContextLost()) return '';
      checked = true;
      if (gl.getProgramParameter(program, gl.LINK_STATUS)) return gl.useProgram(program), '';
      return 'The GL layer\'s shaders do not build: ' + shaders.map(function(s) {
        return gl.getShaderInfoLog(s);
      }).join(' ') + ' ' + gl.getProgramInfoLog(program);
    },
    // The picture is kept, to be made again after a lost context.
    upload: function(index, width, height, alignment, pixels, wrap) {
      var old = pictures[index] || {minFilter: gl.NEAREST_MIPMAP_LINEAR, magFilter: gl.LINEAR};
      pictures[index] = {width: width, height: height, alignment: alignment, pixels: pixels.slice(),
                         wrap: wrap, minFilter: old.minFilter, magFilter: old.magFilter};
      makeTexture(index);
    },
    filter: function(index, minFilter, magFilter) {
      pictures[index].minFilter = minFilter, pictures[index].magFilter = magFilter;
      gl.bindTexture(gl.TEXTURE_2D, textures[index]);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, minFilter);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, magFilter);
    },
    // The vertices once, then a draw for each stretch of one state.
    draw: function(vertices, stretches, ints) {
      var f = fields;
      gl.bufferData(gl.ARRAY_BUFFER, vertices, gl.STREAM_DRAW);
      for (var i = 0; i < stretches.length; i += ints) {
        var s = stretches.subarray(i, i + ints);
        gl.bindTexture(gl.TEXTURE_2D, textures[s[f.texture]]);
        gl[s[f.blend] ? 'enable' : 'disable'](gl.BLEND);
        gl.blendFunc(s[f.blendSource], s[f.blendDestination]);
        gl[s[f.depthTest] ? 'enable' : 'disable'](gl.DEPTH_TEST);
        gl.viewport(s[f.viewport], s[f.viewport + 1], s[f.viewport + 2], s[f.viewport + 3]);
        gl.drawArrays(gl.TRIANGLES, s[f.first], s[f.count]);
      }
    },
    clear: function(mask, r, g, b, a) {
      gl.clearColor(r, g, b, a);
      gl.clear(mask);
    },
    // The canvas is fitted again when its box changes (the window, fullscreen, a
    // turned phone) and when the display's density does (a window moved to
    // another screen, or a zoom).
    watchCanvas: function() {
      new ResizeObserver(function() { Module._layerFitCanvas(); }).observe(Module.canvas);
      (function watchDensity() {
        matchMedia('(resolution: ' + devicePixelRatio + 'dppx)').addEventListener('change', function() {
          Module._layerFitCanvas();
          watchDensity();
        }, {once: true});
      })();
    },
    // The frame's text on the 2-D canvas over the game: runs of x, y, colour and
    // text between tabs, one a line; y counts up from the bottom, as GL's window
    // rows do.
    paintText: function(runs, pixels) {
      var canvas = Module.textCanvas, context = canvas.getContext('2d');
      var scale = canvas.height / canvas.clientHeight;
      context.setTransform(1, 0, 0, 1, 0, 0);
      context.clearRect(0, 0, canvas.width, canvas.height);
      context.setTransform(scale, 0, 0, scale, 0, 0);
      context.font = pixels + 'px sans-serif';
      runs.split('\n').forEach(function(run) {
        var field = run.split('\t');
        context.fillStyle = field[2];
        if (field.length === 4) context.fillText(field[3], Number(field[0]), canvas.clientHeight - Number(field[1]));
      });
    },
  };
})();
